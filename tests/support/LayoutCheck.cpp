#include "support/LayoutCheck.h"

#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>

#include "ui/Controls.h"

namespace {

class Checker {
public:
    std::vector<std::string> faults;

    void walk(const QWidget* parent) {
        std::vector<std::pair<const QWidget*, QRect>> drawn;
        for (const QWidget* child : parent->findChildren<const QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->isWindow() || !child->isVisibleTo(parent)) continue;
            if (!parent->rect().contains(child->geometry()))
                fault(child, "reaches out of " + name(parent) + ", which cuts it off");
            if (auto* frame = qobject_cast<const QGroupBox*>(parent); frame && child->y() < captionBand(frame))
                fault(child, "crosses the caption band of " + name(parent));
            const QRect ink = checkControl(child).translated(child->pos());
            for (const auto& [other, otherInk] : drawn)
                if (overlaps(ink, otherInk) && !(isGraphic(child) && isGraphic(other)))
                    fault(child, "overlaps " + name(other));
            drawn.emplace_back(child, ink);
            if (isContainer(child)) walk(child);
        }
    }

    void checkTitle(const QMessageBox* box) {
        // The window manager's title bar: the title in bold beside an icon and three buttons,
        // which take a hundred pixels in openbox's own theme.
        QFont bold = box->font();
        bold.setBold(true);
        const int needed = QFontMetrics(bold).horizontalAdvance(box->windowTitle()) + 100;
        if (box->width() < needed)
            add("the box \"" + box->windowTitle().toStdString() + "\" is " + std::to_string(box->width()) +
                " pixels wide; its title needs " + std::to_string(needed));
    }

private:
    static std::string name(const QWidget* w) {
        return (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName())
            .toStdString();
    }
    void add(std::string text) { faults.push_back(std::move(text)); }
    void fault(const QWidget* w, const std::string& what) { add(name(w) + " " + what); }

    // Fails when the text needs more than the room; returns the part of the room the text takes.
    QRect fits(const QWidget* w, const QString& text, const QRect& room, int flags) {
        const QRect needed = w->fontMetrics().boundingRect(room, flags, text);
        if (needed.width() > room.width() || needed.height() > room.height())
            fault(w, "needs " + std::to_string(needed.width()) + "x" + std::to_string(needed.height()) +
                         " pixels for \"" + text.left(40).toStdString() + "\" but has " +
                         std::to_string(room.width()) + "x" + std::to_string(room.height()));
        return needed;
    }

    // The height of the caption's line, from the top of the frame.
    static int captionBand(const QGroupBox* frame) {
        return frame->fontMetrics().boundingRect(QRect(0, 0, 4096, 4096), Qt::AlignLeft | Qt::AlignTop, frame->title()).height();
    }

    // More than a shared edge: neighbours laid out to share a one-pixel border (a row of
    // drop-down lists, a text box and its scroll bar) draw that border once.
    static bool overlaps(const QRect& a, const QRect& b) {
        const QRect common = a.intersected(b);
        return common.width() > 1 && common.height() > 1;
    }

    // Lines and shapes: drawn, with no text and taking no clicks. They may be drawn over each
    // other (a busy bar over its frame), never over a control.
    static bool isGraphic(const QWidget* w) {
        return w->testAttribute(Qt::WA_TransparentForMouseEvents) && w->children().isEmpty();
    }

    static bool isContainer(const QWidget* w) {
        return !qobject_cast<const QLabel*>(w) && !qobject_cast<const QAbstractButton*>(w) &&
               !qobject_cast<const QLineEdit*>(w) && !qobject_cast<const QAbstractScrollArea*>(w) &&
               !qobject_cast<const QAbstractSlider*>(w) && !qobject_cast<const QComboBox*>(w);
    }

    // Checks the control's own texts; returns what it draws, in its own coordinates.
    QRect checkControl(const QWidget* w) {
        if (auto* label = qobject_cast<const QLabel*>(w)) return checkLabel(label);
        if (auto* option = dynamic_cast<const ui::OptionButton*>(w)) {
            const int wrap = option->wordWrap() ? Qt::TextWordWrap : 0;
            fits(w, option->text(), option->textArea(), Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic | wrap);
        } else if (auto* button = qobject_cast<const QAbstractButton*>(w)) {
            checkButton(button);
        } else if (auto* edit = qobject_cast<const QLineEdit*>(w)) {
            checkTextBox(edit);
        } else if (auto* list = qobject_cast<const QListWidget*>(w)) {
            checkList(list);
        } else if (auto* dropDown = qobject_cast<const QComboBox*>(w)) {
            checkDropDown(dropDown);
        } else if (auto* frame = qobject_cast<const QGroupBox*>(w)) {
            const int captionLeft = 8;
            fits(w, frame->title(), QRect(captionLeft, 0, frame->width() - 2 * captionLeft, captionBand(frame)),
                 Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic);
        }
        return w->rect();
    }

    QRect checkLabel(const QLabel* label) {
        if (label->text().isEmpty()) return label->frameWidth() ? label->rect() : QRect();
        // As QLabel lays out plain text: inside the frame and margin, indented from a frame by
        // half an "x" on the sides it is aligned to.
        const int margin = label->margin();
        QRect room = label->contentsRect().adjusted(margin, margin, -margin, -margin);
        int indent = label->indent();
        if (indent < 0) indent = label->frameWidth() ? label->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - margin : 0;
        const Qt::Alignment align = label->alignment();
        if (indent > 0) {
            if (align & Qt::AlignLeft) room.setLeft(room.left() + indent);
            if (align & Qt::AlignRight) room.setRight(room.right() - indent);
            if (align & Qt::AlignTop) room.setTop(room.top() + indent);
            if (align & Qt::AlignBottom) room.setBottom(room.bottom() - indent);
        }
        const QRect text = fits(label, label->text(), room, int(align) | (label->wordWrap() ? Qt::TextWordWrap : 0));
        return label->frameWidth() ? label->rect() : text.intersected(label->rect());
    }

    void checkButton(const QAbstractButton* button) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        QStyle::SubElement contents = QStyle::SE_PushButtonContents;
        int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
        if (qobject_cast<const QRadioButton*>(button)) {
            contents = QStyle::SE_RadioButtonContents;
            flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic;
        } else if (!qobject_cast<const QPushButton*>(button)) {
            contents = QStyle::SE_CheckBoxContents;
            flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic;
        }
        fits(button, button->text(), button->style()->subElementRect(contents, &option, button), flags);
    }

    void checkTextBox(const QLineEdit* edit) {
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.rect = edit->rect();
        option.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
        // A line edit keeps two pixels clear on either side of its text and one above and below.
        const QRect room = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit).adjusted(2, 1, -2, -1);
        fits(edit, edit->text().isEmpty() ? QStringLiteral("Xg") : edit->text(), room, Qt::AlignLeft | Qt::AlignVCenter);
    }

    void checkDropDown(const QComboBox* list) {
        // Any item may be picked: each must fit where the list draws its selection, which keeps
        // a pixel clear on either side.
        QStyleOptionComboBox option;
        option.initFrom(list);
        option.editable = list->isEditable();
        option.frame = list->hasFrame();
        const QRect room =
            list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list).adjusted(1, 0, -1, 0);
        for (int row = 0; row < list->count(); ++row)
            fits(list, list->itemText(row), room, Qt::AlignLeft | Qt::AlignVCenter);
    }

    void checkList(const QListWidget* list) {
        // Rows keep a focus margin on either side of their text.
        const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
        const QRect room = list->viewport()->rect().adjusted(margin, 0, -margin, 0);
        // Rows are as high as their text; only the width can run short.
        for (int row = 0; row < list->count(); ++row)
            fits(list, list->item(row)->text(), QRect(room.left(), 0, room.width(), room.height()), Qt::AlignLeft | Qt::AlignTop);
    }
};

}  // namespace

std::vector<std::string> layoutFaults(const QWidget* window) {
    Checker checker;
    checker.walk(window);
    if (auto* box = qobject_cast<const QMessageBox*>(window)) checker.checkTitle(box);
    return checker.faults;
}
