#include "gui/pocket/qt_search_dialog.h"

#include "gui/qt_string.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace gui::handheld {

QtSearchDialog::QtSearchDialog(
    const std::string& scope, std::function<bool(const std::string& word)> search, QWidget* parent)
    : QDialog(parent)
    , m_search(std::move(search))
{
    setObjectName(QStringLiteral("searchDialog"));
    setWindowTitle(QStringLiteral("검 색"));
    setMinimumWidth(240);
    m_scope = new QLineEdit(toQString(scope), this);
    m_scope->setReadOnly(true);
    m_word = new QLineEdit(this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("검색 범위 :"), m_scope);
    form->addRow(QStringLiteral("검색어 :"), m_word);
    m_ok = new QPushButton(QStringLiteral("확인"), this);
    m_ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("취소"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, [this] {
        if (m_search(toUtf8(m_word->text())))
            accept();
        else
            m_word->setFocus();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_word->setFocus();
}

} // namespace gui::handheld
