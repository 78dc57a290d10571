#include "gui/pocket/qt_main_dialog.h"

#include "gui/pocket/qt_html_view.h"
#include "gui/qt_string.h"
#include "pocket/app/frame_layout.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>
#include <QTreeWidget>

#include <cmath>

namespace gui::handheld {

namespace frame = ::pocket::app;

namespace {

    constexpr int kButtonRowHeight = 22;
    constexpr int kBodyTop = 24;
    constexpr int kBottomRowTop = kDialogHeight - 20;

    // A view button, drawn as the device draws its bitmaps: a small picture and
    // the name, raised and blue while its view is current.
    class ViewButton final : public QPushButton {
    public:
        ViewButton(int view, const QString& text, const PocketScreen& screen, QWidget* parent)
            : QPushButton(text, parent)
            , m_view(view)
            , m_screen(screen)
        {
            setCheckable(true);
            setFocusPolicy(Qt::NoFocus);
        }

    protected:
        void paintEvent(QPaintEvent*) override
        {
            QPainter painter(this);
            painter.setRenderHint(QPainter::Antialiasing);
            const QRect area = rect().adjusted(0, 0, -1, -1);
            QLinearGradient fill(area.topLeft(), area.bottomLeft());
            if (isChecked()) {
                fill.setColorAt(0, QColor(0x5a, 0x8c, 0xde));
                fill.setColorAt(1, QColor(0x1c, 0x4a, 0xa8));
            } else {
                fill.setColorAt(0, QColor(0xf4, 0xf4, 0xf4));
                fill.setColorAt(1, QColor(0xc8, 0xcc, 0xd4));
            }
            painter.setPen(QColor(0x70, 0x78, 0x88));
            painter.setBrush(fill);
            painter.drawRoundedRect(area, m_screen.px(3), m_screen.px(3));
            const int icon = m_screen.px(12);
            const QRect iconRect(m_screen.px(4), (height() - icon) / 2, icon, icon);
            drawIcon(painter, iconRect);
            painter.setPen(isChecked() ? Qt::white : QColor(0x20, 0x20, 0x30));
            painter.setFont(m_screen.font(10, isChecked()));
            painter.drawText(
                rect().adjusted(iconRect.right() + m_screen.px(2), 0, 0, 0), Qt::AlignCenter, text());
        }

    private:
        void drawIcon(QPainter& painter, const QRect& r)
        {
            painter.setPen(Qt::NoPen);
            switch (m_view) {
            case frame::kViewMsn: // A speech bubble: the first messenger.
                drawBubble(painter, r, QColor(0x1e, 0x6e, 0xd8));
                break;
            case frame::kViewIcq: // A speech bubble: the second messenger.
                drawBubble(painter, r, QColor(0xe0, 0x80, 0x20));
                break;
            case frame::kViewMyPc: // A monitor.
                painter.setBrush(QColor(0x30, 0x30, 0x40));
                painter.drawRect(QRectF(r.left(), r.top(), r.width(), r.height() * 0.72));
                painter.setBrush(QColor(0x7f, 0xc8, 0xff));
                painter.drawRect(QRectF(r.left() + 1.5, r.top() + 1.5, r.width() - 3, r.height() * 0.72 - 3));
                painter.setBrush(QColor(0x30, 0x30, 0x40));
                painter.drawRect(QRectF(r.left() + r.width() * 0.25, r.bottom() - r.height() * 0.15,
                    r.width() * 0.5, r.height() * 0.15));
                break;
            default: { // An envelope.
                painter.setBrush(QColor(0xff, 0xf4, 0xc0));
                painter.setPen(QPen(QColor(0x90, 0x70, 0x20), 1));
                QRectF body(r.left(), r.top() + r.height() * 0.15, r.width(), r.height() * 0.7);
                painter.drawRect(body);
                painter.drawLine(body.topLeft(), QPointF(body.center().x(), body.center().y()));
                painter.drawLine(body.topRight(), QPointF(body.center().x(), body.center().y()));
                break;
            }
            }
        }

        static void drawBubble(QPainter& painter, const QRect& r, const QColor& colour)
        {
            painter.setBrush(colour);
            const QRectF body(r.left(), r.top(), r.width(), r.height() * 0.75);
            painter.drawRoundedRect(body, r.width() * 0.25, r.width() * 0.25);
            const QPointF tail[] = { QPointF(r.left() + r.width() * 0.25, body.bottom() - 1),
                QPointF(r.left() + r.width() * 0.5, body.bottom() - 1), QPointF(r.left() + r.width() * 0.2, r.bottom()) };
            painter.drawPolygon(tail, 3);
            painter.setBrush(Qt::white);
            const double dot = r.width() * 0.14;
            for (int i = 0; i < 3; ++i)
                painter.drawEllipse(QPointF(r.left() + r.width() * (0.25 + 0.25 * i), body.center().y()), dot / 2, dot / 2);
        }

        int m_view;
        const PocketScreen& m_screen;
    };

} // namespace

QtMainDialog::QtMainDialog(const PocketScreen& screen, QWidget* parent)
    : QWidget(parent)
    , m_screen(screen)
{
    setObjectName(QStringLiteral("mainDialog"));
    setFixedSize(screen.px(kScreenWidth), screen.px(kDialogHeight));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    setFont(screen.font(11));

    buildViewButtons();
    // The messenger trees reach the bottom; the My PC tree leaves room for
    // its "화면변경" button.
    const QRect full(0, kBodyTop, kScreenWidth, kDialogHeight - kBodyTop);
    m_msnTree = tree(frame::kMsnTree, full);
    m_icqTree = tree(frame::kIcqTree, full);
    tree(frame::kYahooTree, full);
    m_pcTree = tree(frame::kMyPcTree, QRect(0, kBodyTop, kScreenWidth, kBottomRowTop - kBodyTop - 2));
    // The search results take the tree's place, with their columns.
    m_results = tree(frame::kSearchResults, QRect(0, kBodyTop, kScreenWidth, kBottomRowTop - kBodyTop - 2));
    m_results->setHeaderHidden(false);
    m_results->header()->setFont(screen.font(10));
    // The name, the path and the size; the My PC view names them.
    m_results->setColumnCount(3);
    for (int column : { 0, 1 })
        m_results->setColumnWidth(column, screen.px(90));
    button(frame::kResultsSwitch, QStringLiteral("검색결과"), QRect(0, kBottomRowTop, 62, 18));
    setMsnStatusLine("사용자 정보를 등록해주세요.");
    setIcqStatusLine("ICQ");
    resetPcTree();
    button(frame::kScreenChangePc, QStringLiteral("화면변경"), QRect(176, kBottomRowTop, 62, 18));
    buildWebControls();
    buildMailControls();
    for (int id : frame::switchableControls())
        setControlVisible(id, false);
}

void QtMainDialog::add(int id, QWidget* widget, QRect deviceRect)
{
    widget->setGeometry(
        m_screen.rect(deviceRect.x(), deviceRect.y(), deviceRect.width(), deviceRect.height()));
    widget->setObjectName(QStringLiteral("control%1").arg(id));
    m_controls.insert(id, widget);
}

QPushButton* QtMainDialog::button(int id, const QString& text, QRect deviceRect)
{
    auto* widget = new QPushButton(text, this);
    widget->setFont(m_screen.font(10));
    widget->setFocusPolicy(Qt::NoFocus);
    add(id, widget, deviceRect);
    connect(widget, &QPushButton::clicked, this, [this, id] {
        if (onButton)
            onButton(id);
    });
    return widget;
}

QTreeWidget* QtMainDialog::tree(int id, QRect deviceRect)
{
    auto* widget = new QTreeWidget(this);
    widget->setHeaderHidden(true);
    widget->setFont(m_screen.font(11));
    widget->setIndentation(m_screen.px(12));
    widget->setIconSize(QSize(m_screen.px(11), m_screen.px(11)));
    add(id, widget, deviceRect);
    return widget;
}

void QtMainDialog::buildViewButtons()
{
    const struct {
        int view;
        const char* text;
    } buttons[] = { { frame::kViewMsn, "MSN" }, { frame::kViewIcq, "ICQ" }, { frame::kViewYahoo, "YAHOO" },
        { frame::kViewMyPc, "My PC" }, { frame::kViewMail, "e-mail" } };
    for (const auto& entry : buttons) {
        const int id = frame::viewButton(entry.view);
        auto* widget = new ViewButton(entry.view, QString::fromUtf8(entry.text), m_screen, this);
        add(id, widget, QRect(0, 0, 60, kButtonRowHeight));
        connect(widget, &QPushButton::clicked, this, [this, id] {
            if (onButton)
                onButton(id);
        });
    }
    m_controls.value(frame::kButtonYahoo)->hide();
}

void QtMainDialog::buildWebControls()
{
    button(frame::kWebViewButton, QStringLiteral("View"), QRect(0, kBodyTop, 30, 16));
    button(frame::kDocButton, QStringLiteral("Doc"), QRect(30, kBodyTop, 30, 16));
    m_address = new QComboBox(this);
    m_address->setEditable(true);
    m_address->setFont(m_screen.font(10));
    add(frame::kAddressBox, m_address, QRect(61, kBodyTop, 151, 16));
    button(frame::kGoButton, QStringLiteral("GO"), QRect(213, kBodyTop, 27, 16));
    const struct {
        int id;
        const char* text;
    } row[] = { { frame::kStopButton, "stop" }, { frame::kRefreshButton, "refre" },
        { frame::kHomeButton, "home" }, { frame::kSaveButton, "save" } };
    int x = 0;
    for (const auto& entry : row) {
        button(entry.id, QString::fromUtf8(entry.text), QRect(x, kBodyTop + 17, 60, 16));
        x += 60;
    }
    // "P" and "N" in the bottom row, for the web view and the search results.
    button(frame::kPrevPageButton, QStringLiteral("P"), QRect(124, kBottomRowTop, 24, 18));
    button(frame::kNextPageButton, QStringLiteral("N"), QRect(150, kBottomRowTop, 24, 18));
    m_webView = makeLoaderBrowser(this);
    m_webView->setOpenLinks(false);
    m_webView->setFont(m_screen.font(11));
    add(frame::kWebView, m_webView, QRect(0, 58, kScreenWidth, kBottomRowTop - 60));
}

void QtMainDialog::buildMailControls()
{
    button(frame::kMailListTab, QStringLiteral("목록"), QRect(0, kBodyTop, 56, 18));
    button(frame::kMailContentTab, QStringLiteral("내용"), QRect(56, kBodyTop, 56, 18));
    button(frame::kMailRefresh, QStringLiteral("REFRESH"), QRect(176, kBodyTop, 64, 18));
    for (int id : { frame::kMailList, frame::kMailAttachments }) {
        auto* list = new QTreeWidget(this);
        list->setFont(m_screen.font(10));
        list->setRootIsDecorated(false);
        list->header()->setFont(m_screen.font(10));
        if (id == frame::kMailList) {
            list->setHeaderLabels({ QStringLiteral("제목"), QStringLiteral("보낸사람"), QStringLiteral("POP3"),
                QStringLiteral("파일명") });
            int column = 0;
            for (int width : { 100, 72, 64, 56 })
                list->setColumnWidth(column++, m_screen.px(width));
            list->setContextMenuPolicy(Qt::CustomContextMenu);
        } else
            list->setHeaderLabels({ QStringLiteral("첨부파일"), QStringLiteral("크기") });
        add(id, list, QRect(0, kBodyTop + 20, kScreenWidth, kBottomRowTop - kBodyTop - 32));
    }
    auto* progress = new QProgressBar(this);
    progress->setTextVisible(false);
    add(frame::kMailProgress, progress, QRect(0, kBottomRowTop - 10, kScreenWidth, 8));
    // The content screen: the header line over the mail body.
    m_mailHeader = new QLabel(this);
    m_mailHeader->setWordWrap(true);
    m_mailHeader->setTextFormat(Qt::RichText);
    m_mailHeader->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_mailHeader->setFont(m_screen.font(10));
    m_mailHeader->setStyleSheet(QStringLiteral("background: #eef2fa; border: 1px solid #b8c0d0;"));
    add(frame::kMailHeader, m_mailHeader, QRect(0, kBodyTop + 20, kScreenWidth, 40));
    m_mailBody = makeLoaderBrowser(this);
    m_mailBody->setOpenLinks(false);
    m_mailBody->setFont(m_screen.font(11));
    add(frame::kMailBody, m_mailBody, QRect(0, kBodyTop + 62, kScreenWidth, kBottomRowTop - kBodyTop - 74));
    button(frame::kMailWrite, QStringLiteral("메일 쓰기"), QRect(0, kBottomRowTop, 58, 18));
    button(frame::kMailView, QStringLiteral("보기"), QRect(58, kBottomRowTop, 40, 18));
    button(frame::kMailDelete, QStringLiteral("삭제"), QRect(98, kBottomRowTop, 40, 18));
    button(frame::kMailSave, QStringLiteral("저장"), QRect(58, kBottomRowTop, 40, 18));
    // The mail view's "Text"/"Html" choice and the header box's button.
    m_mailFormat = new QComboBox(this);
    m_mailFormat->addItems({ QStringLiteral("Text"), QStringLiteral("Html") });
    m_mailFormat->setFont(m_screen.font(10));
    add(frame::kMailFormatBox, m_mailFormat, QRect(100, kBottomRowTop, 48, 18));
    button(frame::kMailHeaderToggle, QStringLiteral("▲"), QRect(150, kBottomRowTop, 24, 18));
    button(frame::kScreenChangeMail, QStringLiteral("화면변경"), QRect(176, kBottomRowTop, 62, 18));
}

void QtMainDialog::layOut(int messengerLayoutCode)
{
    const auto visible = frame::visibleViewButtons(messengerLayoutCode);
    for (int id :
        { frame::kButtonMsn, frame::kButtonIcq, frame::kButtonYahoo, frame::kButtonMyPc, frame::kButtonMail })
        m_controls.value(id)->hide();
    const int width = kScreenWidth / static_cast<int>(visible.size());
    int x = 0;
    for (int id : visible) {
        QWidget* widget = m_controls.value(id);
        widget->setGeometry(m_screen.rect(x, 0, width, kButtonRowHeight));
        widget->show();
        x += width;
    }
}

void QtMainDialog::drawViewButtons(int currentView)
{
    for (int view :
        { frame::kViewMsn, frame::kViewIcq, frame::kViewYahoo, frame::kViewMyPc, frame::kViewMail }) {
        if (auto* widget = qobject_cast<QPushButton*>(m_controls.value(frame::viewButton(view))))
            widget->setChecked(view == currentView);
    }
}

void QtMainDialog::setControlVisible(int id, bool visible)
{
    if (QWidget* widget = m_controls.value(id))
        widget->setVisible(visible);
    if (id == frame::kMailHeader)
        placeMailBody(visible);
    else if (id == frame::kSearchResults)
        // The switch names where it goes.
        button(frame::kResultsSwitch)->setText(visible ? QStringLiteral("트리") : QStringLiteral("검색결과"));
}

void QtMainDialog::placeMailBody(bool belowHeader)
{
    // Without the header box the body takes its place; the button points
    // where the box goes.
    const int top = belowHeader ? kBodyTop + 62 : kBodyTop + 20;
    m_mailBody->setGeometry(m_screen.rect(0, top, kScreenWidth, kBottomRowTop - top - 12));
    button(frame::kMailHeaderToggle)->setText(belowHeader ? QStringLiteral("▲") : QStringLiteral("▼"));
}

QPushButton* QtMainDialog::button(int id) const
{
    return qobject_cast<QPushButton*>(m_controls.value(id));
}

bool QtMainDialog::isControlShown(int id) const
{
    QWidget* widget = m_controls.value(id);
    return widget && !widget->isHidden();
}

void QtMainDialog::resetPcTree()
{
    m_pcTree->clear();
    auto* root = new QTreeWidgetItem(m_pcTree, { QStringLiteral("PDA") });
    root->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
}

void QtMainDialog::addDriveItems(const std::vector<std::string>& drives)
{
    for (const auto& drive : drives) {
        auto* item = new QTreeWidgetItem(m_pcTree, { toQString(drive) });
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
}

void QtMainDialog::setMsnStatusLine(const std::string& text)
{
    m_msnTree->clear();
    auto* root = new QTreeWidgetItem(m_msnTree, { QStringLiteral("MSN Messenger") });
    new QTreeWidgetItem(root, { toQString(text) });
    root->setExpanded(true);
}

void QtMainDialog::setIcqStatusLine(const std::string& text)
{
    m_icqTree->clear();
    auto* root = new QTreeWidgetItem(m_icqTree, { QStringLiteral("ICQ") });
    new QTreeWidgetItem(root, { toQString(text) });
    root->setExpanded(true);
}

QTreeWidget* QtMainDialog::mailList() const
{
    return qobject_cast<QTreeWidget*>(m_controls.value(frame::kMailList));
}

void QtMainDialog::showAddress(const std::string& address)
{
    const QString text = toQString(address);
    if (m_address->findText(text) < 0)
        m_address->addItem(text);
    m_address->setCurrentText(text);
}

} // namespace gui::handheld
