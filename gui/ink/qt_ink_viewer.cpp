#include "gui/ink/qt_ink_viewer.h"

#include "gui/ink/ink_canvas_widget.h"
#include "gui/ink/qt_text.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace gui::ink {

namespace {

// The viewer's side of one window. InkViewers destroys it from inside the
// window's own "OK" handler, so the window goes with deleteLater().
class ViewerAdapter final : public pocket::ink::InkViewerView {
public:
    explicit ViewerAdapter(QtInkViewerWindow* window)
        : m_window(window)
    {
    }
    ~ViewerAdapter() override
    {
        if (m_window) {
            m_window->onOk = nullptr;
            m_window->hide();
            m_window->deleteLater();
        }
    }
    pocket::ink::InkCanvas& canvas() override { return *m_window->canvasWidget(); }
    void setTitle(std::string_view title) override
    {
        m_window->setWindowTitle(toQString(title));
        m_window->titleLabel()->setText(toQString(title));
    }
    void show() override { m_window->show(); }
    void close() override { m_window->hide(); }

private:
    QPointer<QtInkViewerWindow> m_window;
};

} // namespace

QtInkViewerWindow::QtInkViewerWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    auto* layout = new QVBoxLayout(this);
    m_title = new QLabel(this);
    m_canvas = new InkCanvasWidget(this);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    layout->addWidget(m_title);
    layout->addWidget(m_canvas, 1);
    layout->addWidget(ok);
    connect(ok, &QPushButton::clicked, this, [this] { runOk(); });
}

void QtInkViewerWindow::runOk()
{
    // "OK" destroys the viewer, which clears onOk: run a copy, so the
    // function being called is not the one being destroyed.
    if (auto handler = onOk)
        handler();
}

void QtInkViewerWindow::closeEvent(QCloseEvent* event)
{
    // Closing by the frame is the same as "OK".
    if (onOk) {
        event->ignore();
        runOk();
        return;
    }
    event->accept();
}

std::unique_ptr<pocket::ink::InkViewerView> QtInkViewerHost::createViewerView(int slot)
{
    auto* window = new QtInkViewerWindow;
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->onOk = [this, slot] {
        if (m_viewers)
            m_viewers->onOk(slot);
    };
    return std::make_unique<ViewerAdapter>(window);
}

} // namespace gui::ink
