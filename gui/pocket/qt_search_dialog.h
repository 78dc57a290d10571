#pragma once

// File: gui/pocket/qt_search_dialog.h
// The search dialog of the My PC view ("검 색"): the folder searched
// ("검색 범위 :", read-only) and the word ("검색어 :"). "확인" hands the word
// to the core, which says whether the dialog may close (an empty word keeps
// it open with "검색어를 입력하세요!"). GUI thread only.

#include <QDialog>

#include <functional>
#include <string>

class QLineEdit;
class QPushButton;

namespace gui::handheld {

class QtSearchDialog final : public QDialog {
public:
    // `search` runs the search; true when the dialog may close.
    QtSearchDialog(const std::string& scope, std::function<bool(const std::string& word)> search,
        QWidget* parent = nullptr);

    QLineEdit* scopeEdit() const { return m_scope; }
    QLineEdit* wordEdit() const { return m_word; }
    QPushButton* okButton() const { return m_ok; }

private:
    std::function<bool(const std::string&)> m_search;
    QLineEdit* m_scope = nullptr;
    QLineEdit* m_word = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace gui::handheld
