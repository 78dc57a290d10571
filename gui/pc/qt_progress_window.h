#pragma once

// File: gui/pc/qt_progress_window.h
// The modeless progress window of searches and uploads: a bar from 0 to 100
// with step 1, shown while a search or an upload runs. The service drives it
// through ProgressView. GUI thread only.

#include "pc/service/service_ports.h"

#include <QDialog>

class QProgressBar;

namespace gui::pc {

class QtProgressWindow final : public QDialog, public ::pc::service::ProgressView {
    Q_OBJECT
public:
    explicit QtProgressWindow(QWidget* parent = nullptr);

    void openProgress() override;
    void setProgress(int percent) override;
    void stepProgress() override;
    void closeProgress() override;

    QProgressBar* bar() const { return m_bar; }

private:
    QProgressBar* m_bar;
};

} // namespace gui::pc
