#pragma once

// File: gui/pocket/qt_html_view.h
// The HTML control of the handheld: a text browser whose pages, images and
// style sheets load through pocket::viewer::PageLoader (the PC's web server
// over the HTTP stand-in, or files of the device root). Loads are
// synchronous, so stop() has nothing to interrupt. A tapped link opens in
// the same view. QtWebTab is the rest of the web tab: the address box of the
// main dialog (the core switches the main dialog to the web view itself).
// GUI thread only.

#include "pocket/viewer/web_viewer.h"

#include <QTextBrowser>

#include <functional>
#include <string>

namespace pocket::viewer {
class PageLoader;
}

namespace gui::handheld {

class QtMainDialog;

// A text browser that asks a QtHtmlView's loader for its resources; give it
// to the QtHtmlView that shows pages in it.
QTextBrowser* makeLoaderBrowser(QWidget* parent);

class QtHtmlView final : public ::pocket::viewer::HtmlView {
public:
    // Shows pages in `browser`, which must outlive this view.
    explicit QtHtmlView(QTextBrowser& browser);
    // The core's loader; pages show once it is set.
    void setLoader(::pocket::viewer::PageLoader* loader);

    void navigate(const std::string& url) override;
    void refresh() override;
    void stop() override { }
    std::string currentAddress() const override { return m_address; }

    // Where a tapped link goes; the view's own navigate when unset.
    std::function<void(const std::string&)> onLink;

private:
    QTextBrowser& m_browser;
    ::pocket::viewer::PageLoader* m_loader = nullptr;
    std::string m_address;
};

class QtWebTab final : public ::pocket::viewer::WebTabView {
public:
    explicit QtWebTab(QtMainDialog& dialog)
        : m_dialog(dialog)
    {
    }

    void addAddress(const std::string& address) override;
    void setAddressText(const std::string& address) override;
    std::string addressText() const override;
    void focusAddress() override;
    void showWebTab() override;
    void setWaitCursor(bool waiting) override;

private:
    QtMainDialog& m_dialog;
    bool m_waiting = false;
};

} // namespace gui::handheld
