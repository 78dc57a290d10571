#pragma once

// File: gui/pocket/qt_found_pcs.h
// The "PC 찾기" part of the Connections page: a button that looks for PCs
// on the network (pocket/link/pc_finder.h, on a worker thread, so the page
// stays live), the list of those found, and a line saying what happened.
// Tapping a PC pins its fingerprint and hands it to `onPicked`, which fills
// the page's address and port. GUI thread only.

#include "pocket/link/pc_finder.h"

#include <QWidget>

#include <functional>
#include <thread>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace gui::handheld {

class QtFoundPcs final : public QWidget {
public:
    QtFoundPcs(::pocket::link::PcFinder& finder, ::pocket::link::PcPairing& pairing, QWidget* parent = nullptr);
    ~QtFoundPcs() override;

    std::function<void(const ::pocket::link::FoundPc&)> onPicked;

    // For tests and screenshots.
    QPushButton* findButton() const { return m_find; }
    QListWidget* list() const { return m_list; }
    QLabel* status() const { return m_status; }
    void showFound(const ::pocket::link::FindResult& result);

private:
    void startFinding();
    void pick(int row);

    ::pocket::link::PcFinder& m_finder;
    ::pocket::link::PcPairing& m_pairing;
    QPushButton* m_find;
    QListWidget* m_list;
    QLabel* m_status;
    std::vector<::pocket::link::FoundPc> m_found;
    std::thread m_worker; // Joined before the widget goes.
};

} // namespace gui::handheld
