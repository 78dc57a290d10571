#pragma once

// File: pc/service/view_request.h
// The pure parts of the view requests (303 document view, 313 image or web
// view): which converter an extension selects, which results are images,
// the wrapper page that shows an image, and the URLs the answers carry.

#include <string>
#include <string_view>

namespace pc::service {

// What a document view does with a file, chosen by its extension.
enum class ViewGroup {
    Word,
    Excel,
    PowerPoint,
    Pdf, // Page images, like a presentation's slides.
    Hwp,
    Copied, // Copied into "pda_ReqDoc" as it is.
    Image, // An image the handheld cannot show, as JPEG into "pda_ReqDoc".
    NoExtension, // Taken as already in "pda_ReqDoc".
    Unsupported,
};

constexpr std::string_view kViewBusyText = "prev";
constexpr std::string_view kViewFailText = "fail";
constexpr std::string_view kWrapperPageName = "imageparsing.html";
// The first slide image the PowerPoint converter writes into its folder.
constexpr std::string_view kFirstSlideImage = "슬라이드1.jpg";

// The text after the last "." of the name, lower-cased (ASCII); empty when
// the name has no ".".
std::string extensionOf(std::string_view name);
// The name without its last "." and what follows.
std::string baseNameOf(std::string_view name);

ViewGroup viewGroupOf(std::string_view lowerExtension);

// The name of a converted document's result in the service root, without
// the ".htm" or the folder's content: the file name without its extension
// for the extension each group started with ("report.doc" -> "report"), the
// whole file name for the others ("report.docx" -> "report.docx"), so that
// documents of one name and different formats keep results of their own.
std::string resultBaseOf(std::string_view fileName);
// The JPEG an image of the Image group becomes: "logo.svg" -> "logo.svg.jpg".
std::string convertedImageName(std::string_view fileName);
// Results of a document view that are shown through the wrapper page.
bool isViewImageExtension(std::string_view lowerExtension);
// Addresses of an image view (313) that are shown through the wrapper page.
bool isPageImageExtension(std::string_view lowerExtension);

// "<html><body><img src="URL"></body></html>".
std::string wrapperPage(std::string_view imageUrl);

// "http://" + host + "/" + path, with every "\" turned into "/". The host
// carries its port ("10.0.0.5:91").
std::string serviceUrl(std::string_view host, std::string_view path);

// Every "\" of the text turned into "/".
std::string forwardSlashes(std::string_view text);

} // namespace pc::service
