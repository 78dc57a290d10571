#include "gui/pocket/qt_html_view.h"

#include "gui/pocket/qt_main_dialog.h"
#include "gui/qt_string.h"
#include "platform/result.h"
#include "pocket/viewer/load_failure_page.h"
#include "pocket/viewer/viewer_address.h"
#include "pocket/viewer/viewer_page_loader.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>

namespace gui::handheld {

namespace {

    // A browser that asks the page loader for every resource of its page.
    class LoaderBrowser final : public QTextBrowser {
    public:
        using QTextBrowser::QTextBrowser;
        ::pocket::viewer::PageLoader* loader = nullptr;
        const std::string* pageAddress = nullptr;

        QVariant loadResource(int type, const QUrl& name) override
        {
            if (!loader || !pageAddress)
                return {};
            auto loaded = loader->loadResource(*pageAddress, toUtf8(name.toString()));
            if (!loaded)
                return {};
            const QByteArray bytes(loaded->content.data(), static_cast<qsizetype>(loaded->content.size()));
            if (type == QTextDocument::ImageResource)
                return QImage::fromData(bytes);
            return bytes;
        }
    };

    bool looksLikeText(std::string_view content)
    {
        return content.substr(0, 512).find('\0') == std::string_view::npos;
    }

    QString pageText(const std::string& text)
    {
        return QStringLiteral("<p style='color:#606070'>%1</p>").arg(toQString(text).toHtmlEscaped());
    }

} // namespace

QtHtmlView::QtHtmlView(QTextBrowser& browser)
    : m_browser(browser)
{
    if (auto* own = dynamic_cast<LoaderBrowser*>(&m_browser))
        own->pageAddress = &m_address;
    m_browser.setOpenLinks(false);
    QObject::connect(&m_browser, &QTextBrowser::anchorClicked, &m_browser, [this](const QUrl& link) {
        const std::string target = ::pocket::viewer::resolveReference(m_address, toUtf8(link.toString()));
        if (onLink)
            onLink(target);
        else
            navigate(target);
    });
}

void QtHtmlView::setLoader(::pocket::viewer::PageLoader* loader)
{
    m_loader = loader;
    if (auto* own = dynamic_cast<LoaderBrowser*>(&m_browser))
        own->loader = loader;
}

void QtHtmlView::navigate(const std::string& url)
{
    m_address = url;
    if (!m_loader)
        return;
    auto loaded = m_loader->load(url);
    if (!loaded) {
        m_browser.setHtml(toQString(::pocket::viewer::loadFailurePage(url, loaded.error())));
        return;
    }
    std::string type = loaded->contentType;
    // Like the device's HTML control, look at bytes of an unknown type: text
    // with tags is a page (the mail bodies are "<pre>" blocks in ".body"
    // files), other text is plain text.
    if (type == "application/octet-stream" && looksLikeText(loaded->content))
        type = loaded->content.find('<') != std::string::npos ? "text/html" : "text/plain";
    const QByteArray bytes(loaded->content.data(), static_cast<qsizetype>(loaded->content.size()));
    if (type.starts_with("text/html"))
        m_browser.setHtml(QString::fromUtf8(bytes));
    else if (type.starts_with("text/"))
        m_browser.setPlainText(QString::fromUtf8(bytes));
    else if (type.starts_with("image/"))
        m_browser.setHtml(QStringLiteral("<img src='%1'>").arg(toQString(url).toHtmlEscaped()));
    else
        m_browser.setHtml(pageText(url + " (" + type + ")"));
}

void QtHtmlView::refresh()
{
    if (!m_address.empty())
        navigate(m_address);
}

QTextBrowser* makeLoaderBrowser(QWidget* parent)
{
    return new LoaderBrowser(parent);
}

void QtWebTab::addAddress(const std::string& address)
{
    m_dialog.showAddress(address);
}

void QtWebTab::setAddressText(const std::string& address)
{
    m_dialog.addressBox()->setCurrentText(toQString(address));
}

std::string QtWebTab::addressText() const
{
    return toUtf8(m_dialog.addressBox()->currentText());
}

void QtWebTab::focusAddress()
{
    m_dialog.addressBox()->setFocus();
}

void QtWebTab::showWebTab()
{
}

void QtWebTab::setWaitCursor(bool waiting)
{
    if (waiting == m_waiting)
        return;
    m_waiting = waiting;
    if (waiting)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

} // namespace gui::handheld
