#pragma once

// File: pocket/viewer/web_viewer.h
// The web and document view of the handheld: the web tab (address box,
// "GO", "stop", "refre", "home", "save") over an HtmlView, PC documents
// converted by the PC (command 303) and shown from its web server, mail
// attachments opened in the mail-body view (303, second form), image and
// page addresses wrapped by the PC (313), and handheld files. Pages of the
// PC are shown under the login id as host and loaded from the PC's web port
// (viewer_address.h).
//
// The web area shows one of two views: the page view, the pages the user
// opened (GO, the address list, home, handheld files, the messengers' home
// pages), or the document view, the last PC document the PC converted.
// "View" and "Doc" switch between them, each showing what it showed last;
// "P" and "N" go to the previous and next page of the view shown: back and
// forward through the pages opened, or through the page pictures of the
// document (document_pages.h), each asked of the PC to wrap (313).
// Window thread only.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class HttpFetch;
class Ui;
}

namespace proto {
struct PcAnswer;
}

namespace pocket::device {
class DeviceRoot;
}

namespace pocket::link {
class PcLink;
}

namespace pocket::mypc {
class TransferRunner;
}

namespace pocket::settings {
struct PdaSettings;
}

namespace pocket::viewer {

// The HTML control: the three operations the program uses, and the address
// of the page it shows. The GUI shows pages in a text browser whose
// resources load through the HTTP stand-in (viewer_page_loader.h).
class HtmlView {
public:
    virtual ~HtmlView() = default;
    virtual void navigate(const std::string& url) = 0;
    virtual void refresh() = 0;
    virtual void stop() = 0;
    virtual std::string currentAddress() const = 0;
};

// The rest of the web tab, and the main window's part in it.
class WebTabView {
public:
    virtual ~WebTabView() = default;
    // Adds the address to the box's list and shows it in the box.
    virtual void addAddress(const std::string& address) = 0;
    virtual void setAddressText(const std::string& address) = 0;
    virtual std::string addressText() const = 0;
    virtual void focusAddress() = 0;
    virtual void showWebTab() = 0;
    virtual void setWaitCursor(bool waiting) = 0;
};

// Sends a request whose text, in the link's code page, is cut to `maxBytes`
// on a character boundary.
bool sendCutRequest(link::PcLink& link, int first, int code, std::string_view text, std::size_t maxBytes);

// Navigate: stops what the control is loading, then opens the URL.
void navigateView(HtmlView& view, const std::string& url);

class WebViewer {
public:
    static constexpr int kFirstDocument = 0;
    static constexpr int kFirstAttachment = 1;

    WebViewer(link::PcLink& link, const settings::PdaSettings& settings, const device::DeviceRoot& device, platform::Ui& ui,
        mypc::TransferRunner& transfer, WebTabView& tab, HtmlView& web, HtmlView& mail, platform::HttpFetch& fetch);

    // The view could not be set up: "QueryControl Failed".
    static void reportViewFailed(platform::Ui& ui);

    void openStartPage();
    void show(std::string_view url, bool addToAddressBox);
    void go();
    void chooseAddress(std::string_view address);
    void stop();
    void refresh();
    void home();

    // "보기" on a PC file: the PC converts it (303, first 0).
    bool viewPcFile(std::string_view pcPath);
    // "바로 열기" on a mail attachment (303, first 1).
    bool viewMailAttachment(std::string_view mailName, std::string_view attachment);
    // An image or page address the PC wraps for viewing (313).
    bool viewPage(std::string_view address);
    // "보기" on a "PDA" item: its handheld path in the web tab.
    void viewHandheldFile(std::string_view itemPath);
    // "save": the shown page into "webFolderPath", through the transfer
    // worker of My PC (one transfer runs at a time).
    void savePage();

    HtmlView& webView() { return m_web; }
    HtmlView& mailView() { return m_mail; }

    enum class Mode {
        Page,
        Document,
    };
    Mode mode() const { return m_mode; }
    // "View" and "Doc".
    void showPageView();
    void showDocumentView();
    // "P" and "N" of the web view.
    void previousPage();
    void nextPage();

private:
    // Shows a page of the page view; a new one goes into its history.
    void showPage(std::string_view url, bool addToAddressBox, bool remember);
    void showDocument(std::string_view url);
    void moveInHistory(int step);
    void moveInDocument(int step);
    // The body of a page of the PC (at most a few kilobytes), "" on failure.
    std::string fetchText(const std::string& url);
    bool exists(const std::string& url);
    void onDocumentAnswer(const proto::PcAnswer& answer);
    void onPageAnswer(const proto::PcAnswer& answer);
    bool cancelRunningTransfer();

    link::PcLink& m_link;
    const settings::PdaSettings& m_settings;
    const device::DeviceRoot& m_device;
    platform::Ui& m_ui;
    mypc::TransferRunner& m_transfer;
    WebTabView& m_tab;
    HtmlView& m_web;
    HtmlView& m_mail;
    platform::HttpFetch& m_fetch;

    Mode m_mode = Mode::Page;
    std::vector<std::string> m_history; // The page view's pages, oldest first.
    std::size_t m_historyIndex = 0;
    std::string m_document; // The document page shown, as the PC named it.
    std::string m_documentImage; // Its page picture, once known.
    std::string m_pendingImage; // The picture asked of the PC to wrap (313).
};

} // namespace pocket::viewer
