#include "gui/pc/qt_progress_window.h"

#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>

namespace gui::pc {

QtProgressWindow::QtProgressWindow(QWidget* parent)
    : QDialog(parent)
    , m_bar(new QProgressBar(this))
{
    setWindowTitle("Quillon");
    setModal(false);
    m_bar->setRange(0, 100);
    m_bar->setMinimumWidth(280);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
}

void QtProgressWindow::openProgress()
{
    m_bar->setValue(0);
    show();
    raise();
    // A search holds the GUI thread until it ends; paint now rather than
    // when the event loop runs again.
    repaint();
}

void QtProgressWindow::setProgress(int percent)
{
    // The bar repaints itself at once when its value changes what it shows.
    m_bar->setValue(std::clamp(percent, 0, 100));
}

void QtProgressWindow::stepProgress()
{
    setProgress(m_bar->value() + 1);
}

void QtProgressWindow::closeProgress()
{
    hide();
}

} // namespace gui::pc
