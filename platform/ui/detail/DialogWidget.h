// DialogWidget: the Qt window of a dialog, built from its template, that turns user actions into messages.
#pragma once

#include <QDialog>
#include <QFont>

#include "platform/CDialog.h"
#include "platform/detail/DialogTemplate.h"

// Controls are placed by converting dialog units with the dialog font's base units, as the platform
// does: x * average character width / 4, y * character height / 8. Each control's objectName is its id.
// Buttons send WM_COMMAND (BN_CLICKED); Enter sends the focused push button's id, else the default
// button's (else IDOK); Escape sends IDCANCEL; the close box sends WM_CLOSE. The widget never
// closes itself: only EndDialog ends the dialog.
class DialogWidget : public QDialog {
public:
    DialogWidget(CDialog* dlg, const pelrudo::detail::DialogTemplate& tmpl, QWidget* parent);
    // Makes the controls, each with its handle under the dialog's (which must exist by then).
    void Build(const pelrudo::detail::DialogTemplate& tmpl);

    // The font a template asks for; a face that is not installed falls back to a Chinese font.
    static QFont DialogFont(const std::u16string& face, int pointSize);
    // Base units of a font: average character width and height in pixels.
    static QSize BaseUnits(const QFont& font);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void reject() override {}

private:
    QWidget* MakeControl(const pelrudo::detail::DialogItem& item);
    QRect ToPixels(int x, int y, int cx, int cy) const;
    void SendCommand(int id);

    CDialog* m_dlg;
    QSize m_base;
    int m_defaultId = IDOK;
};
