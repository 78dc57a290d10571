#pragma once

// File: gui/pocket/qt_messenger_dialogs.h
// The small dialogs of the messenger pages: the one-line entry (dialog 125:
// adding a contact, renaming), the contact information (dialog 129), the
// contact chooser (dialog 130: a tree of contacts with their status
// pictures, "선택" and "취소") and the ICQ broadcast (dialog 126). They show
// what the core hands them and return what the user chose; every rule about
// the entries is the core's. GUI thread only.

#include <QDialog>
#include <QIcon>

#include <optional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;
class QTreeWidget;

namespace gui::handheld {

// Dialog 125: a caption, a label, one entry, "확인" and "취소".
class QtTextEntryDialog final : public QDialog {
public:
    QtTextEntryDialog(const std::string& caption, const std::string& label, const std::string& prefill,
        bool digitsOnly, QWidget* parent = nullptr);

    // Runs the dialog; nothing when the user cancelled.
    static std::optional<std::string> ask(QWidget* parent, const std::string& caption, const std::string& label,
        const std::string& prefill = {}, bool digitsOnly = false);

    QLabel* label() const { return m_label; }
    QLineEdit* entry() const { return m_entry; }
    QPushButton* okButton() const { return m_ok; }

private:
    QLabel* m_label = nullptr;
    QLineEdit* m_entry = nullptr;
    QPushButton* m_ok = nullptr;
};

// Dialog 129: the contact's name over labelled lines ("Email :", "State :",
// and for ICQ "First :", "Last :").
class QtContactInfoDialog final : public QDialog {
public:
    struct Line {
        std::string label;
        std::string value;
    };
    QtContactInfoDialog(const std::string& caption, const std::string& heading, const std::vector<Line>& lines,
        QWidget* parent = nullptr);
    static void present(QWidget* parent, const std::string& caption, const std::string& heading,
        const std::vector<Line>& lines);
};

// Dialog 130: the contacts under "온라인 사용자" and "오프라인 사용자" with
// their status pictures; "선택" returns the chosen contact's id.
class QtContactChooser final : public QDialog {
public:
    struct Entry {
        std::string text;
        std::string id;
        QIcon icon;
        bool online = false;
    };
    QtContactChooser(const std::string& caption, const std::vector<Entry>& entries, QWidget* parent = nullptr);
    static std::optional<std::string> choose(QWidget* parent, const std::string& caption, const std::vector<Entry>& entries);

    QTreeWidget* tree() const { return m_tree; }
    QPushButton* chooseButton() const { return m_choose; }
    QPushButton* cancelButton() const { return m_cancel; }
    // The id of the selected contact, or "" when no contact is selected.
    std::string chosenId() const;

private:
    QTreeWidget* m_tree = nullptr;
    QPushButton* m_choose = nullptr;
    QPushButton* m_cancel = nullptr;
};

// Dialog 126 ("ICQ - 동보메세지"): the contacts to check ("Nick", "ICQ #"),
// the text (at most 500 characters) and "전송".
class QtBroadcastDialog final : public QDialog {
public:
    struct Contact {
        std::string nick;
        std::string number;
    };
    QtBroadcastDialog(const std::vector<Contact>& contacts, QWidget* parent = nullptr);

    QTreeWidget* list() const { return m_list; }
    QTextEdit* text() const { return m_text; }
    QPushButton* sendButton() const { return m_send; }
    std::vector<std::string> checkedNumbers() const;
    std::string typedText() const;

private:
    QTreeWidget* m_list = nullptr;
    QTextEdit* m_text = nullptr;
    QPushButton* m_send = nullptr;
};

} // namespace gui::handheld
