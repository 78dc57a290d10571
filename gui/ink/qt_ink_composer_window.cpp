#include "gui/ink/qt_ink_composer_window.h"

#include "gui/ink/ink_canvas_widget.h"
#include "gui/ink/qt_text.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace gui::ink {

using pocket::ink::Palette;

QtInkComposerWindow::QtInkComposerWindow(platform::Clock& clock, QWidget* parent)
    : QWidget(parent)
    , m_clock(clock)
{
    setWindowTitle(QStringLiteral("펜 메세지"));
    auto* layout = new QVBoxLayout(this);
    m_canvas = new InkCanvasWidget(this);
    layout->addWidget(m_canvas, 1);

    m_colourPalette = buildColourPalette();
    m_thicknessPalette = buildThicknessPalette();
    layout->addWidget(m_colourPalette);
    layout->addWidget(m_thicknessPalette);

    m_statusPlace = new QStackedWidget(this);
    m_status = new QLabel(m_statusPlace);
    m_progress = new QProgressBar(m_statusPlace);
    m_progress->setRange(0, 100);
    m_statusPlace->addWidget(m_status);
    m_statusPlace->addWidget(m_progress);
    layout->addWidget(m_statusPlace);

    auto* buttons = new QHBoxLayout;
    m_new = new QPushButton(QStringLiteral("New"), this);
    m_quit = new QPushButton(QStringLiteral("Quit"), this);
    m_send = new QPushButton(QStringLiteral("Send"), this);
    buttons->addWidget(m_new);
    buttons->addWidget(m_quit);
    buttons->addWidget(m_send);
    layout->addLayout(buttons);

    connect(m_new, &QPushButton::clicked, this, [this] {
        if (m_composer)
            m_composer->onNew();
    });
    connect(m_quit, &QPushButton::clicked, this, [this] {
        if (m_composer)
            m_composer->onQuit();
    });
    connect(m_send, &QPushButton::clicked, this, [this] {
        if (m_composer)
            m_composer->onSend(platform::toLocalTime(m_clock.now()));
    });
}

void QtInkComposerWindow::setComposer(pocket::ink::InkComposer* composer)
{
    m_composer = composer;
    m_canvas->setPenHandler([this](const pocket::ink::PenEvent& event) {
        if (m_composer)
            m_composer->onPen(event);
    });
}

QWidget* QtInkComposerWindow::buildColourPalette()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (const auto& button : pocket::ink::kColourPalette) {
        auto* swatch = new QPushButton(row);
        const auto rgb = *pocket::ink::colourOf(button.token);
        swatch->setToolTip(toQString(button.label));
        swatch->setFixedSize(20, 20);
        swatch->setStyleSheet(QStringLiteral("background-color: rgb(%1,%2,%3)").arg(rgb.red).arg(rgb.green).arg(rgb.blue));
        connect(swatch, &QPushButton::clicked, this, [this, token = button.token] {
            if (m_composer)
                m_composer->chooseColour(token);
        });
        layout->addWidget(swatch);
    }
    auto* close = new QPushButton(toQString(pocket::ink::kPaletteClose), row);
    connect(close, &QPushButton::clicked, this, [this] {
        if (m_composer)
            m_composer->closePalette(Palette::Colour);
    });
    layout->addWidget(close);
    row->hide();
    return row;
}

QWidget* QtInkComposerWindow::buildThicknessPalette()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (const auto& button : pocket::ink::kThicknessPalette) {
        auto* choice = new QPushButton(toQString(button.label), row);
        connect(choice, &QPushButton::clicked, this, [this, token = button.token] {
            if (m_composer)
                m_composer->chooseThickness(token);
        });
        layout->addWidget(choice);
    }
    auto* close = new QPushButton(toQString(pocket::ink::kPaletteClose), row);
    connect(close, &QPushButton::clicked, this, [this] {
        if (m_composer)
            m_composer->closePalette(Palette::Thickness);
    });
    layout->addWidget(close);
    row->hide();
    return row;
}

pocket::ink::InkCanvas& QtInkComposerWindow::canvas()
{
    return *m_canvas;
}

void QtInkComposerWindow::setStatus(std::string_view text)
{
    m_status->setText(toQString(text));
}

void QtInkComposerWindow::setSendEnabled(bool enabled)
{
    m_send->setEnabled(enabled);
}

void QtInkComposerWindow::setNewEnabled(bool enabled)
{
    m_new->setEnabled(enabled);
}

void QtInkComposerWindow::setProgressVisible(bool visible)
{
    m_statusPlace->setCurrentWidget(visible ? static_cast<QWidget*>(m_progress) : m_status);
}

void QtInkComposerWindow::setProgress(int percent)
{
    m_progress->setValue(percent);
}

void QtInkComposerWindow::showPalette(Palette palette, bool shown)
{
    paletteRow(palette)->setVisible(shown);
}

QWidget* QtInkComposerWindow::paletteRow(Palette palette) const
{
    return palette == Palette::Colour ? m_colourPalette : m_thicknessPalette;
}

void QtInkComposerWindow::showToolbar(const pocket::ink::ToolbarLook& look)
{
    m_canvas->showToolbar(look);
}

void QtInkComposerWindow::close()
{
    m_closing = true;
    QWidget::close();
}

void QtInkComposerWindow::closeEvent(QCloseEvent* event)
{
    // Closing the window by its frame is "Quit".
    if (!m_closing && m_composer && !m_composer->isClosed())
        m_composer->onQuit();
    event->accept();
}

} // namespace gui::ink
