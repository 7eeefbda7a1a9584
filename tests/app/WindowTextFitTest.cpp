// Every text of the main window measured with the font it is drawn in against the room its control
// gives it, in English, Simplified and Traditional Chinese: labels, buttons, group-box titles, the
// items of the drop-down lists (closed box and open list) and of the language menu. Also no text may
// be drawn over another control or past the edge of its container.

#include <cmath>
#include <string>
#include <vector>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>

#include <gtest/gtest.h>

#include "app/ElidingComboBox.h"
#include "app/WindowFont.h"
#include "tests/app/LanguageTestSupport.h"

namespace apptest {
namespace {

// A widget fills the style option it paints with in initStyleOption, which is protected: a subclass
// may name it, and through the pointer it is called on any widget of the class.
template <typename Widget>
struct OptionFiller : Widget {
    static auto Function() { return &OptionFiller::initStyleOption; }
};

template <typename Option, typename Widget>
Option StyleOption(const Widget& widget) {
    Option option;
    (widget.*OptionFiller<Widget>::Function())(&option);
    return option;
}

QStyleOptionMenuItem MenuItemOption(const QMenu& menu, const QAction* action) {
    QStyleOptionMenuItem option;
    (menu.*OptionFiller<QMenu>::Function())(&option, action);
    return option;
}

// Whole pixels that `text` covers when drawn in `font`, characters taken from fallback faces
// included; the fractional advance is rounded up, since a partly covered column is drawn too.
int Advance(const QFont& font, const QString& text) {
    return static_cast<int>(std::ceil(QFontMetricsF(font).horizontalAdvance(text)));
}

struct Measured {
    const QWidget* widget;
    QString control;  // the object's name; a list or menu item adds its number
    QString text;
    int needed;
    int room;
    QRect drawn;  // the columns the text covers, in window coordinates; empty in a popup
};

// The columns a text of `width` pixels covers when aligned by `alignment` in `box` (widget
// coordinates), over the box's height, in window coordinates.
QRect DrawnIn(const QWidget& widget, const QRect& box, Qt::Alignment alignment, int width) {
    const QRect aligned = QStyle::alignedRect(widget.layoutDirection(),
                                              (alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter,
                                              QSize(width, box.height()), box);
    return QRect(widget.mapTo(widget.window(), aligned.topLeft()), aligned.size());
}

class WindowTexts {
public:
    void Label(const QLabel& label) {
        const QRect box = label.contentsRect().adjusted(label.margin(), 0, -label.margin(), 0);
        Add(label, label.objectName(), label.text(), box, label.alignment(), label.font());
    }

    void Button(const QAbstractButton& button) {
        // The style's rectangle inside the bevel, or beside the check box or radio indicator.
        QStyleOptionButton option;
        QStyle::SubElement contents = QStyle::SE_PushButtonContents;
        Qt::Alignment alignment = Qt::AlignHCenter;
        if (auto* check = qobject_cast<const QCheckBox*>(&button)) {
            option = StyleOption<QStyleOptionButton>(*check);
            contents = QStyle::SE_CheckBoxContents;
            alignment = Qt::AlignLeft;
        } else if (auto* radio = qobject_cast<const QRadioButton*>(&button)) {
            option = StyleOption<QStyleOptionButton>(*radio);
            contents = QStyle::SE_RadioButtonContents;
            alignment = Qt::AlignLeft;
        } else {
            option = StyleOption<QStyleOptionButton>(*qobject_cast<const QPushButton*>(&button));
        }
        const QRect box = button.style()->subElementRect(contents, &option, &button);
        Add(button, button.objectName(), button.text(), box, alignment, button.font());
    }

    void ToolButton(const QToolButton& button) {
        const auto option = StyleOption<QStyleOptionToolButton>(button);
        const QStyle& style = *button.style();
        const int frame = style.pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &button);
        QRect box = style.subControlRect(QStyle::CC_ToolButton, &option, QStyle::SC_ToolButton, &button)
                        .adjusted(frame, frame, -frame, -frame);
        // A menu without a separate arrow button is marked by an arrow in a corner; the text is
        // centred, so it keeps clear of the arrow's width on both sides.
        if (option.features & QStyleOptionToolButton::HasMenu &&
            !(option.subControls & QStyle::SC_ToolButtonMenu)) {
            const int arrow = style.pixelMetric(QStyle::PM_MenuButtonIndicator, &option, &button);
            box.adjust(arrow, 0, -arrow, 0);
        }
        Add(button, button.objectName(), button.text(), box, Qt::AlignHCenter, button.font());
    }

    void GroupTitle(const QGroupBox& group) {
        const auto option = StyleOption<QStyleOptionGroupBox>(group);
        const QRect title =
            group.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &group) &
            group.rect();
        Add(group, group.objectName(), group.title(), title, Qt::AlignLeft, group.font());
    }

    // Every item as the closed box would show it when chosen. The style draws the text one pixel
    // inside the edit field on each side and clips it there. A list that elides a text too wide for
    // it is measured by the text it shows.
    void ClosedList(QComboBox& combo) {
        const int chosen = combo.currentIndex();
        auto* eliding = qobject_cast<app::ElidingComboBox*>(&combo);
        for (int i = 0; i < combo.count(); ++i) {
            combo.setCurrentIndex(i);
            const auto option = StyleOption<QStyleOptionComboBox>(combo);
            const QRect field = combo.style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                              QStyle::SC_ComboBoxEditField, &combo);
            const QString shown = eliding ? eliding->ShownText() : combo.currentText();
            if (shown != combo.currentText()) {
                elided.push_back(combo.objectName() + QStringLiteral(": ") + combo.currentText() +
                                 QStringLiteral(" -> ") + shown);
            }
            Add(combo, QStringLiteral("%1 item %2").arg(combo.objectName()).arg(i), shown,
                field.adjusted(1, 0, -1, 0), Qt::AlignLeft, combo.font());
        }
        combo.setCurrentIndex(chosen);
    }

    // The open list draws its items as menu items (Fusion and most styles): each needs the width the
    // style asks of a menu item with its text, and gets the part of its row that the list shows.
    void OpenList(QComboBox& combo) {
        combo.showPopup();
        const QAbstractItemView& view = *combo.view();
        for (int i = 0; i < combo.count(); ++i) {
            QStyleOptionMenuItem option;
            option.initFrom(&view);
            option.font = combo.font();
            option.text = combo.itemText(i);
            option.checkType = QStyleOptionMenuItem::NonExclusive;
            option.maxIconWidth = view.iconSize().width() + 4;
            const int needed = MenuItemWidth(combo, option);
            const QRect row = view.visualRect(view.model()->index(i, 0)) & view.viewport()->rect();
            all.push_back({&combo,
                           QStringLiteral("%1 list item %2").arg(combo.objectName()).arg(i),
                           option.text,
                           needed,
                           row.width(),
                           {}});
        }
        combo.hidePopup();
    }

    void Menu(QMenu& menu) {
        menu.popup(QPoint(0, 0));
        int number = 0;
        for (QAction* action : menu.actions()) {
            const QStyleOptionMenuItem option = MenuItemOption(menu, action);
            all.push_back({&menu,
                           QStringLiteral("%1 item %2").arg(menu.objectName()).arg(number++),
                           action->text(),
                           MenuItemWidth(menu, option),
                           menu.actionGeometry(action).width(),
                           {}});
        }
        menu.hide();
    }

    std::vector<Measured> all;
    QStringList elided;

private:
    void Add(const QWidget& widget, const QString& control, const QString& text, const QRect& box,
             Qt::Alignment alignment, const QFont& font) {
        const int needed = Advance(font, text);
        all.push_back({&widget, control, text, needed, box.width(), DrawnIn(widget, box, alignment, needed)});
    }

    static int MenuItemWidth(const QWidget& widget, const QStyleOptionMenuItem& option) {
        const QSize text(Advance(option.font, option.text), QFontMetrics(option.font).height());
        return widget.style()->sizeFromContents(QStyle::CT_MenuItem, &option, text, &widget).width();
    }
};

WindowTexts MeasureWindow(QWidget& window) {
    WindowTexts texts;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window)) {
            continue;
        }
        if (auto* label = qobject_cast<QLabel*>(widget); label && !label->text().isEmpty()) {
            texts.Label(*label);
        } else if (auto* tool = qobject_cast<QToolButton*>(widget)) {
            texts.ToolButton(*tool);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            texts.Button(*button);
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            texts.GroupTitle(*group);
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            texts.ClosedList(*combo);
            texts.OpenList(*combo);
        }
    }
    for (QMenu* menu : window.findChildren<QMenu*>()) {
        texts.Menu(*menu);
    }
    return texts;
}

QRect InWindow(const QWidget& widget, const QRect& rect) {
    return QRect(widget.mapTo(widget.window(), rect.topLeft()), rect.size());
}

// Whether the text drawn at `text.drawn` is hidden by, or runs into, `other`. A control's own
// children are part of it, except those a group box holds under its title.
bool RunsInto(const Measured& text, const QWidget& other) {
    const QWidget& owner = *text.widget;
    if (&other == &owner || other.isAncestorOf(&owner) || other.isWindow() ||
        (owner.isAncestorOf(&other) && !qobject_cast<const QGroupBox*>(&owner))) {
        return false;
    }
    return InWindow(other, other.rect()).intersects(text.drawn);
}

std::string Describe(const Measured& text, const char* language) {
    return QStringLiteral("%1 (%2) \"%3\"")
        .arg(text.control, QLatin1String(language), text.text)
        .toStdString();
}

std::vector<std::string> Problems(QWidget& window, const WindowTexts& texts, const char* language) {
    std::vector<std::string> problems;
    const QList<QWidget*> widgets = window.findChildren<QWidget*>();
    for (const Measured& text : texts.all) {
        if (text.needed > text.room) {
            problems.push_back(Describe(text, language) + ": needs " + std::to_string(text.needed) +
                               " px, has " + std::to_string(text.room));
        }
        if (text.drawn.isEmpty()) {
            continue;
        }
        const QWidget& container = *text.widget->parentWidget();
        if (!InWindow(container, container.contentsRect()).contains(text.drawn)) {
            problems.push_back(Describe(text, language) + ": runs past the edge of " +
                               container.objectName().toStdString());
        }
        for (const QWidget* other : widgets) {
            if (other->isVisibleTo(&window) && RunsInto(text, *other)) {
                problems.push_back(Describe(text, language) + ": runs into " +
                                   other->objectName().toStdString());
            }
        }
    }
    return problems;
}

TEST(WindowTextFitTest, EveryTextFitsItsControlInEachLanguage) {
    // As at the program's start-up: Tahoma from fonts-wine when the system has none.
    Application();
    app::ProvideTahoma();
    LanguageFixture f(MainSection({"nLanguageID=1", "Server address mode=0", "Port=6000",
                                   "Static IP=192.168.1.100", "DTU number=TQ-GP000001"}),
                      true);
    f.locale.lang = "en";
    app::Ttntfrm_Main& window = f.Show();
    ASSERT_EQ(QFontInfo(window.font()).family(), QStringLiteral("Tahoma"))
        << "the window's texts are measured in the face they were laid out for; install fonts-wine "
           "(scripts/install-deps.sh) or a Tahoma";

    const struct {
        int number;
        const char* language;
        std::vector<const char*> elided;  // closed-box items that cannot fit and are shown elided
    } languages[] = {
        {1, "en", {"DTU configuration parameters"}},
        {2, "zh_CN", {}},
        {3, "zh_TW", {}},
    };
    for (const auto& language : languages) {
        SCOPED_TRACE(language.language);
        f.Choose(language.number);
        const WindowTexts texts = MeasureWindow(window);
        // A control left out would pass unmeasured: each text of the window must be among them.
        QStringList measured;
        for (const Measured& text : texts.all) {
            measured << text.control;
        }
        for (const WindowText& text : kWindowTexts) {
            const bool menuItem = QByteArray(text.object).startsWith("tntmntm_");
            if (QByteArray(text.object) != "tntfrm_Main" && !menuItem) {
                EXPECT_TRUE(measured.contains(QLatin1String(text.object))) << text.object;
            }
        }
        for (const ListItems& list : kListItems) {
            for (std::size_t i = 0; i < list.english.size(); ++i) {
                EXPECT_TRUE(
                    measured.contains(QStringLiteral("%1 item %2").arg(QLatin1String(list.list)).arg(i)));
                EXPECT_TRUE(measured.contains(
                    QStringLiteral("%1 list item %2").arg(QLatin1String(list.list)).arg(i)));
            }
        }
        EXPECT_TRUE(measured.contains(QStringLiteral("tntpmn_Language item 3")));
        EXPECT_EQ(Problems(window, texts, language.language), std::vector<std::string>{});

        QStringList expectedElided;
        for (const char* english : language.elided) {
            expectedElided << EngineText(english);
        }
        QStringList elidedSources;
        for (const QString& entry : texts.elided) {
            elidedSources << entry.section(QStringLiteral(": "), 1).section(QStringLiteral(" -> "), 0, 0);
        }
        EXPECT_EQ(elidedSources, expectedElided) << texts.elided.join(QLatin1Char('\n')).toStdString();
    }
}

}  // namespace
}  // namespace apptest
