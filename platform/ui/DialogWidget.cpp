// DialogWidget: building a dialog's controls from its template and reporting the user's actions.
#include "platform/ui/detail/DialogWidget.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "platform/ui/detail/ListView.h"
#include "platform/ui/detail/WindowState.h"

using namespace pelrudo::ui;

namespace {

constexpr WORD kButton = 0x80;
constexpr WORD kEdit = 0x81;
constexpr WORD kStatic = 0x82;
// The screen's logical resolution, as the platform's default.
constexpr int kDpi = 96;

int MulDiv(int value, int numerator, int denominator)
{
    return static_cast<int>((static_cast<long long>(value) * numerator + denominator / 2) / denominator);
}

}  // namespace

QFont DialogWidget::DialogFont(const std::u16string& face, int pointSize)
{
    QString family = ToQt(face);
    const QStringList families = QFontDatabase::families();
    if (!families.contains(family, Qt::CaseInsensitive)) {
        // 宋体 and the other Windows faces are not installed: take a Chinese face that is.
        for (const char* fallback : {"Noto Serif CJK SC", "Noto Sans CJK SC", "WenQuanYi Zen Hei", "AR PL UMing CN"})
            if (families.contains(QString::fromLatin1(fallback))) {
                family = QString::fromLatin1(fallback);
                break;
            }
    }
    QFont font(family);
    font.setPixelSize(MulDiv(pointSize > 0 ? pointSize : 9, kDpi, 72));
    return font;
}

QSize DialogWidget::BaseUnits(const QFont& font)
{
    QFontMetrics metrics(font);
    int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, metrics.height()};
}

DialogWidget::DialogWidget(CDialog* dlg, const pelrudo::detail::DialogTemplate& tmpl, QWidget* parent)
    : QDialog(parent), m_dlg(dlg)
{
    QFont font = DialogFont(tmpl.faceName, tmpl.pointSize);
    setFont(font);
    m_base = BaseUnits(font);
    setWindowTitle(ToQt(tmpl.caption));
    setFixedSize(ToPixels(0, 0, tmpl.cx, tmpl.cy).size());
    setModal(true);
    for (const auto& item : tmpl.items)
        if (item.classOrdinal == kButton && (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) m_defaultId = static_cast<int>(item.id);
}

QRect DialogWidget::ToPixels(int x, int y, int cx, int cy) const
{
    return {MulDiv(x, m_base.width(), 4), MulDiv(y, m_base.height(), 8), MulDiv(cx, m_base.width(), 4),
            MulDiv(cy, m_base.height(), 8)};
}

QWidget* DialogWidget::MakeControl(const pelrudo::detail::DialogItem& item)
{
    QWidget* widget = nullptr;
    auto id = static_cast<int>(item.id);
    DWORD type = item.style & BS_TYPEMASK;
    if (item.classOrdinal == kButton && type == BS_GROUPBOX) {
        widget = new QGroupBox(ToQt(item.text), this);
    } else if (item.classOrdinal == kButton && (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                                                 type == BS_AUTO3STATE)) {
        widget = new QCheckBox(ToQt(item.text), this);
    } else if (item.classOrdinal == kButton && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON)) {
        widget = new QRadioButton(ToQt(item.text), this);
    } else if (item.classOrdinal == kButton) {
        auto* button = new QPushButton(ToQt(item.text), this);
        button->setAutoDefault(false);
        button->setDefault(type == BS_DEFPUSHBUTTON);
        widget = button;
    } else if (item.classOrdinal == kEdit) {
        widget = new QLineEdit(ToQt(item.text), this);
    } else if (item.classOrdinal == kStatic) {
        bool noPrefix = item.style & SS_NOPREFIX;
        auto* label = new QLabel(noPrefix ? ToQt(item.text) : WithoutMnemonics(item.text), this);
        DWORD kind = item.style & SS_TYPEMASK;
        label->setWordWrap(kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT);
        Qt::Alignment horizontal = kind == SS_CENTER ? Qt::AlignHCenter : kind == SS_RIGHT ? Qt::AlignRight : Qt::AlignLeft;
        label->setAlignment(horizontal | Qt::AlignTop);
        widget = label;
    } else if (QString::fromStdU16String(item.className).compare(QStringLiteral("SysListView32"), Qt::CaseInsensitive) == 0) {
        auto* view = new ListView(this);
        view->setFrameShape((item.style & WS_BORDER) || (item.exStyle & WS_EX_CLIENTEDGE) ? QFrame::StyledPanel : QFrame::NoFrame);
        widget = view;
    } else if (QString::fromStdU16String(item.className).compare(QStringLiteral(PROGRESS_CLASS), Qt::CaseInsensitive) == 0) {
        auto* bar = new QProgressBar(this);
        bar->setRange(0, 100);  // the control's range until PBM_SETRANGE32
        bar->setValue(0);
        bar->setTextVisible(false);
        widget = bar;
    } else {
        widget = new QWidget(this);
    }
    if (auto* button = dynamic_cast<QAbstractButton*>(widget))
        QObject::connect(button, &QAbstractButton::clicked, this, [this, id] { SendCommand(id); });
    widget->setObjectName(QString::number(id));
    widget->setGeometry(ToPixels(item.x, item.y, item.cx, item.cy));
    widget->setEnabled(!(item.style & WS_DISABLED));
    widget->setVisible(item.style & WS_VISIBLE);
    widget->setFocusPolicy((item.style & WS_TABSTOP) ? Qt::StrongFocus : (item.classOrdinal == kStatic ? Qt::NoFocus : Qt::ClickFocus));
    HWND handle = NewHandle(widget, id, m_dlg->m_hWnd, item.style);
    handle->text = item.text;
    return widget;
}

void DialogWidget::SendCommand(int id)
{
    HWND self = m_dlg->m_hWnd;
    HWND control = nullptr;
    if (IsLiveHandle(self)) {
        auto it = self->children.find(id);
        control = it == self->children.end() ? nullptr : it->second;
    }
    m_dlg->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

void DialogWidget::Build(const pelrudo::detail::DialogTemplate& tmpl)
{
    for (const auto& item : tmpl.items) MakeControl(item);
}

void DialogWidget::closeEvent(QCloseEvent* event)
{
    // The close box asks; the dialog's handlers decide (by default WM_CLOSE cancels).
    event->ignore();
    m_dlg->SendMessage(WM_CLOSE);
}

void DialogWidget::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        auto* focused = dynamic_cast<QPushButton*>(focusWidget());
        SendCommand(focused ? focused->objectName().toInt() : m_defaultId);
        return;
    }
    case Qt::Key_Escape: SendCommand(IDCANCEL); return;
    default: QWidget::keyPressEvent(event); return;
    }
}

void DialogWidget::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    HWND self = m_dlg->m_hWnd;
    if (!IsLiveHandle(self)) return;
    self->painting = true;
    m_dlg->SendMessage(WM_PAINT);
    if (IsLiveHandle(self)) self->painting = false;
}
