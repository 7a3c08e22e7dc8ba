#pragma once

// Helpers shared by the window suites: controls by layout name, panel
// snapshots, draw-list comparison and a catcher for the modal message box.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QLocale>
#include <QMap>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "app/main_window.h"
#include "render/draw_list.h"

namespace kbtest {

inline const QStringList kOptionalControls = {"primaer",    "gebeugtCheck", "CheckBox5",  "CheckBox1",
                                              "CheckBox7",  "CheckBox8",    "CheckBox10", "CheckBox11",
                                              "CheckBox12", "CheckBox2",    "CheckBox3",  "CheckBox9",
                                              "CheckBox4",  "CheckBox6",    "Button6"};
inline const QStringList kGroups = {"GroupBox1", "GroupBox6", "GroupBox3",
                                    "GroupBox7", "GroupBox2", "GroupBox4"};
inline const QStringList kCheckBoxes = {"primaer",   "gebeugtCheck", "CheckBox5",  "CheckBox1",  "CheckBox7",
                                        "CheckBox8", "CheckBox10",   "CheckBox11", "CheckBox12", "CheckBox2",
                                        "CheckBox3", "CheckBox9",    "CheckBox4",  "CheckBox6"};

inline void PinGermanLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

template <typename T = QWidget>
T* Control(kb::TForm1& form, const QString& name)
{
    T* found = form.findChild<T*>(name);
    if (found == nullptr && form.objectName() == name) {
        found = qobject_cast<T*>(&form);
    }
    return found;
}

inline bool Shown(kb::TForm1& form, const QString& name)
{
    QWidget* w = Control(form, name);
    return w != nullptr && w->isVisibleTo(&form);
}

inline bool Checked(kb::TForm1& form, const QString& name)
{
    auto* box = Control<QCheckBox>(form, name);
    return box != nullptr && box->isChecked();
}

// Visibility and checked state of every named control of the panel, plus the
// radio item, the caption of the rotation toggle and the window caption.
inline QMap<QString, QString> PanelSnapshot(kb::TForm1& form)
{
    QMap<QString, QString> snap;
    for (QWidget* w : form.findChildren<QWidget*>()) {
        if (w->objectName().isEmpty()) {
            continue;
        }
        QString value = w->isVisibleTo(&form) ? QStringLiteral("shown") : QStringLiteral("hidden");
        if (auto* box = qobject_cast<QCheckBox*>(w)) {
            value += box->isChecked() ? QStringLiteral(" checked") : QString();
        }
        snap.insert(w->objectName(), value);
    }
    snap.insert(QStringLiteral("#radio"), QString::number(form.RadioGroup1ItemIndex()));
    snap.insert(QStringLiteral("#button3"), form.Button3->text());
    snap.insert(QStringLiteral("#timer"),
                form.Timer1->isActive() ? QStringLiteral("on") : QStringLiteral("off"));
    snap.insert(QStringLiteral("#caption"), form.windowTitle());
    snap.insert(QStringLiteral("#edit2"), form.Edit2->text());
    return snap;
}

inline bool SameOps(const kb::DrawList& a, const kb::DrawList& b, QString* why = nullptr)
{
    if (a.ops.size() != b.ops.size()) {
        if (why) *why = QStringLiteral("op count %1 vs %2").arg(a.ops.size()).arg(b.ops.size());
        return false;
    }
    for (std::size_t i = 0; i < a.ops.size(); ++i) {
        const kb::DrawOp& x = a.ops[i];
        const kb::DrawOp& y = b.ops[i];
        // Only what the operation paints with: a fill ignores the pen, a line
        // the brush, a text both (the surface carries them over between passes).
        const bool usesPen = x.kind != kb::DrawOpKind::FillRect && x.kind != kb::DrawOpKind::Text;
        const bool usesBrush = x.kind == kb::DrawOpKind::Ellipse || x.kind == kb::DrawOpKind::Polygon ||
                               x.kind == kb::DrawOpKind::FillRect;
        bool same = x.kind == y.kind && x.text == y.text && x.pointCount == y.pointCount &&
                    std::equal(std::begin(x.c), std::end(x.c), std::begin(y.c));
        same = same && (!usesPen || x.pen == y.pen) && (!usesBrush || x.brush == y.brush);
        if (same && x.kind == kb::DrawOpKind::Text) {
            same = a.FontOf(x) == b.FontOf(y);
        }
        for (std::size_t p = 0; same && p < x.pointCount; ++p) {
            same = a.points[x.firstPoint + p] == b.points[y.firstPoint + p];
        }
        if (!same) {
            if (why) *why = QStringLiteral("op %1 differs").arg(i);
            return false;
        }
    }
    return true;
}

// What the drawing area paints itself, without the readouts on it.
inline QImage OwnPicture(kb::TForm1& form)
{
    QImage image(form.drawingArea_->size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    form.drawingArea_->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    return image;
}

// Filled discs of the reciprocal lattice: red outline, red fill.
inline int RedDiscCount(const kb::DrawList& list)
{
    int count = 0;
    for (const kb::DrawOp& op : list.ops) {
        if (op.kind == kb::DrawOpKind::Ellipse && op.brush.style == kb::BrushStyle::Solid &&
            op.brush.colour == kb::kRed && op.pen.colour == kb::kRed) {
            ++count;
        }
    }
    return count;
}

inline QStringList Texts(const kb::DrawList& list)
{
    QStringList texts;
    for (const kb::DrawOp& op : list.ops) {
        if (op.kind == kb::DrawOpKind::Text) {
            texts << QString::fromStdString(op.text);
        }
    }
    return texts;
}

// Records and closes the next modal message box, with its OK button, the
// button captioned `press`, or as Esc does. Polls, since the box opens only
// once the click handler runs.
struct MessageBoxCatcher {
    QString press;
    bool seen = false;
    QString text;
    QString title;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::StandardButtons buttons;
    QObject guard;  // pending polls end with the catcher

    void Arm(int triesLeft = 200)
    {
        QTimer::singleShot(10, &guard, [this, triesLeft] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                if (triesLeft > 0) Arm(triesLeft - 1);
                return;
            }
            seen = true;
            text = box->text();
            title = box->windowTitle();
            format = box->textFormat();
            buttons = box->standardButtons();
            for (QAbstractButton* button : box->buttons()) {
                if (!press.isEmpty() && button->text() == press) {
                    button->click();
                    return;
                }
            }
            box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->reject();
        });
    }
};

}  // namespace kbtest
