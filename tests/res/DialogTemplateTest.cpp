#include <gtest/gtest.h>

#include <QFont>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "art/Artwork.h"
#include "art/DialogUnits.h"
#include "res/Resource.h"
#include "res/StringTable.h"

void PrintTo(const QRect& rect, std::ostream* out) {
    *out << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height();
}

namespace {

std::vector<int> Ids(const res::DialogTemplate& dialog) {
    std::vector<int> ids;
    for (const res::DialogControl& control : dialog.controls) {
        ids.push_back(control.id);
    }
    return ids;
}

TEST(DialogTemplate, MainDialogHasEveryControlInTabOrder) {
    const res::DialogTemplate* dialog = res::GetDialogTemplate(102);
    ASSERT_NE(dialog, nullptr);
    EXPECT_STREQ(dialog->caption, "Tolvik");
    EXPECT_EQ(QSize(dialog->width, dialog->height), QSize(377, 303));
    EXPECT_FALSE(dialog->minimizeBox || dialog->maximizeBox);
    EXPECT_TRUE(dialog->systemMenu);
    const std::vector<int> expected = {1017, -1, 1003, 1005, 1004, 1007, 1008, 1009, 1010, 1011, -1,
                                       -1,   -1, 1013, 1014, 1015, 1006, -1,   -1,   -1,   -1,   -1,
                                       -1,   -1, 1016, -1,   -1,   1020, -1,   1022, 1002, -1};
    EXPECT_EQ(Ids(*dialog), expected);
}

struct Row {
    int id;
    res::ControlKind kind;
    QRect rect;
    int tooltip;
    int bitmap;
};

TEST(DialogTemplate, NumberedControlsOfTheMainDialog) {
    using K = res::ControlKind;
    const Row rows[] = {
        {1017, K::Picture, QRect(110, 22, 78, 122), 1017, 130},
        {1003, K::KeyButton, QRect(205, 43, 32, 20), 1024, 0},
        {1005, K::KeyButton, QRect(241, 43, 32, 20), 1025, 0},
        {1004, K::KeyButton, QRect(205, 69, 18, 16), 1026, 0},
        {1007, K::KeyButton, QRect(255, 69, 18, 16), 1027, 0},
        {1008, K::KeyButton, QRect(205, 91, 18, 16), 1028, 0},
        {1009, K::KeyButton, QRect(255, 91, 18, 16), 1029, 0},
        {1010, K::KeyButton, QRect(205, 113, 18, 16), 1030, 0},
        {1011, K::KeyButton, QRect(255, 113, 18, 16), 1031, 0},
        {1013, K::Picture, QRect(13, 184, 77, 106), 1019, 147},
        {1014, K::Picture, QRect(104, 184, 77, 106), 1020, 149},
        {1015, K::Picture, QRect(194, 184, 77, 106), 1022, 148},
        {1006, K::Progress, QRect(289, 205, 26, 86), 1023, 0},
        {1016, K::PushButton, QRect(123, 157, 42, 15), 1018, 0},
        {1020, K::Edit, QRect(327, 228, 30, 13), 1032, 0},
        {1022, K::Edit, QRect(293, 69, 77, 12), 0, 0},
        {1002, K::ListBox, QRect(7, 23, 92, 121), 1033, 0},
    };
    const res::DialogTemplate& dialog = *res::GetDialogTemplate(res::IDD_TOLVIK);
    for (const Row& row : rows) {
        const res::DialogControl* control = res::FindControl(dialog, row.id);
        ASSERT_NE(control, nullptr) << row.id;
        EXPECT_EQ(control->kind, row.kind) << row.id;
        EXPECT_EQ(QRect(control->x, control->y, control->width, control->height), row.rect) << row.id;
        EXPECT_EQ(control->tooltipId, row.tooltip) << row.id;
        EXPECT_EQ(control->bitmapId, row.bitmap) << row.id;
    }
    EXPECT_STREQ(res::FindControl(dialog, 1016)->text, "&Associate");
    EXPECT_EQ(res::FindControl(dialog, 1006)->style & (res::kVertical | res::kSmooth),
              res::kVertical | res::kSmooth);
    EXPECT_TRUE(res::FindControl(dialog, 1020)->style & res::kReadOnly);
    EXPECT_EQ(res::FindControl(dialog, 4711), nullptr);
}

TEST(DialogTemplate, EveryPictureAndTooltipOfTheMainDialogExists) {
    std::set<int> tooltips;
    for (const res::DialogControl& control : res::GetDialogTemplate(res::IDD_TOLVIK)->controls) {
        if (control.bitmapId) {
            EXPECT_FALSE(res::LoadBitmap(control.bitmapId).isNull()) << control.bitmapId;
        }
        if (control.tooltipId) {
            EXPECT_NE(res::LoadString(control.tooltipId), nullptr) << control.tooltipId;
            tooltips.insert(control.tooltipId);
        }
    }
    // Every string of the table is some control's tooltip.
    EXPECT_EQ(tooltips.size(), 16u);
    EXPECT_STREQ(res::LoadString(1018),
                 "Enables wireless remote association with base remote (20s timeout).");
    EXPECT_STREQ(res::LoadString(1026), "Send focus -");
    for (int id : {0, 1016, 1021, 1034, -1}) {
        EXPECT_EQ(res::LoadString(id), nullptr) << id;
    }
}

TEST(DialogTemplate, WaitDialog) {
    const res::DialogTemplate* dialog = res::GetDialogTemplate(100);
    ASSERT_NE(dialog, nullptr);
    EXPECT_STREQ(dialog->caption, "Association in process...");
    EXPECT_EQ(QSize(dialog->width, dialog->height), QSize(186, 96));
    EXPECT_TRUE(dialog->center && dialog->systemMenu);
    EXPECT_EQ(Ids(*dialog), (std::vector<int>{200, 1005, 2}));
    EXPECT_TRUE(res::FindControl(*dialog, 1005)->style & res::kCentred);
    EXPECT_EQ(res::GetDialogTemplate(101), nullptr);
}

TEST(KeyButtonBitmaps, SharedPairsAndSetUpOrder) {
    std::vector<std::vector<int>> rows;
    for (const res::KeyButtonBitmaps& b : res::KeyButtonBitmapTable()) {
        rows.push_back({b.controlId, b.normal, b.selected, b.focused, b.disabled});
    }
    const std::vector<std::vector<int>> expected = {
        {1003, 156, 158, 156, 156}, {1005, 153, 159, 153, 153}, {1004, 152, 157, 152, 152},
        {1007, 151, 162, 151, 151}, {1008, 152, 157, 152, 152}, {1009, 151, 162, 151, 151},
        {1010, 155, 161, 155, 155}, {1011, 154, 160, 154, 154},
    };
    EXPECT_EQ(rows, expected);
}

struct Mapping {
    QRect dialogUnits;
    QSize base;
    QRect pixels;
};

TEST(MapDialogRect, EdgesRoundToTheNearestPixel) {
    const Mapping cases[] = {
        {QRect(110, 22, 78, 122), QSize(6, 13), QRect(165, 36, 117, 198)},  // 35.75 -> 36, 234 - 36 = 198
        {QRect(0, 0, 78, 122), QSize(6, 13), QRect(0, 0, 117, 198)},
        {QRect(0, 0, 77, 106), QSize(6, 13), QRect(0, 0, 116, 172)},     // 115.5 -> 116
        {QRect(293, 7, 77, 30), QSize(6, 13), QRect(440, 11, 115, 49)},  // edges, not sizes, are rounded
        {QRect(1, 4, 1, 4), QSize(6, 13), QRect(2, 7, 1, 6)},            // halves go up
        {QRect(-3, -5, 2, 2), QSize(6, 13), QRect(-5, -8, 3, 3)},        // and away from zero below it
        {QRect(0, 0, 186, 96), QSize(7, 16), QRect(0, 0, 326, 192)},
        {QRect(0, 0, 0, 0), QSize(6, 13), QRect(0, 0, 0, 0)},
    };
    for (const Mapping& mapping : cases) {
        EXPECT_EQ(res::MapDialogRect(mapping.dialogUnits, mapping.base), mapping.pixels)
            << "from " << mapping.dialogUnits.x() << "," << mapping.dialogUnits.y();
    }
}

TEST(DialogBaseUnits, EightPointDialogFontGivesPlausibleUnits) {
    const QFont font = res::DialogFont(*res::GetDialogTemplate(res::IDD_WAIT));
    EXPECT_EQ(font.pixelSize(), 11);
    const QSize units = res::DialogBaseUnits(font);
    // An average Latin letter of an 11-pixel sans font, and its line height.
    EXPECT_GE(units.width(), 5);
    EXPECT_LE(units.width(), 8);
    EXPECT_GE(units.height(), 11);
    EXPECT_LE(units.height(), 16);
}

}  // namespace
