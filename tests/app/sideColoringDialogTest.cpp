#include "programWindow.h"
#include "colorChooser.h"
#include "cubeView.h"
#include "modalDriver.h"

#include <array>
#include <vector>

namespace {

using Colors = std::array<COLORREF, 6>;

const Colors Painted = {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112};

// What the test's colour chooser was asked, and what it answers next.
struct ChooserCall {
    HWND owner;
    COLORREF shown;
};
std::vector<ChooserCall> chooserCalls;
std::vector<COLORREF> chooserAnswers; // 0xFFFFFFFF stands for Cancel

bool answerChooser(HWND owner, COLORREF* color) {
    chooserCalls.push_back({owner, *color});
    if (chooserAnswers.empty()) return false;
    const COLORREF answer = chooserAnswers.front();
    chooserAnswers.erase(chooserAnswers.begin());
    if (answer == 0xFFFFFFFF) return false;
    *color = answer;
    return true;
}

struct SideColoring : ProgramWindow {
    void SetUp() override {
        ProgramWindow::SetUp();
        colorChooser = answerChooser;
        chooserCalls.clear();
        chooserAnswers.clear();
    }
    void TearDown() override {
        colorChooser = chooseColor;
        ProgramWindow::TearDown();
    }
    ModalRun open(std::vector<DialogStep> steps) {
        return driveModal([this] { command(IDM_SIDES_COLORING); }, std::move(steps));
    }
};

Colors viewColors(HWND view) {
    Colors colors;
    SendMessageA(view, CCM_GETCOLORS, 0, reinterpret_cast<LPARAM>(colors.data()));
    return colors;
}

void setViewColors(HWND view, const Colors& colors) {
    SendMessageA(view, CCM_SETCOLORS, 1, reinterpret_cast<LPARAM>(colors.data()));
}

Colors tableSides() {
    Colors colors;
    std::copy(SideColors.colors, SideColors.colors + 6, colors.begin());
    return colors;
}

Colors defaultSides() {
    Colors colors;
    std::copy(DefaultSideColors, DefaultSideColors + 6, colors.begin());
    return colors;
}

// A swatch is a static control that reports the press of the button.
void clickSwatch(HWND dialog, int id) {
    HWND swatch = GetDlgItem(dialog, id);
    SendMessageA(swatch, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(swatch, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

// Well inside the border and clear of the centred caption.
COLORREF swatchColor(HWND dialog, int id) {
    return pixelAt(GetDlgItem(dialog, id), 3, 3);
}

} // namespace

TEST_F(SideColoring, OpeningTakesTheSourceViewsColoursEvenWhenCancelled) {
    setViewColors(App.sourceView, Painted);
    const ModalRun run = open({[this](HWND dialog) {
        EXPECT_EQ("Side Coloring", windowText(dialog));
        EXPECT_EQ(window, GetWindow(dialog, GW_OWNER));
        EXPECT_EQ(reinterpret_cast<LRESULT>(App.programIcon),
                  SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0));
        for (int entry = 0; entry < 6; ++entry)
            EXPECT_EQ(Painted[entry], swatchColor(dialog, IDC_SWATCH_FRONT + entry))
                << "entry " << entry;
        EXPECT_EQ(COLORREF(UndefinedColor), swatchColor(dialog, IDC_SWATCH_UNDEF));
        clickButton(dialog, IDC_COLOR_CANCEL);
    }});
    EXPECT_EQ(1, run.stepsRun);
    EXPECT_FALSE(run.forced);
    EXPECT_EQ(Painted, tableSides());
    EXPECT_EQ(COLORREF(UndefinedColor), SideColors.colors[6]);
    EXPECT_EQ(defaultSides(), viewColors(App.destinationView)) << "Cancel sends nothing";
}

TEST_F(SideColoring, ApplyHandsTheSixSidesToBothViewsAndCancelKeepsThem) {
    chooserAnswers = {0x00123456, 0x00ABCDEF};
    const ModalRun run = open({
        [](HWND dialog) { clickSwatch(dialog, IDC_SWATCH_BACK); },
        [](HWND dialog) {
            EXPECT_EQ(0x00123456u, swatchColor(dialog, IDC_SWATCH_BACK)) << "repainted at once";
            clickSwatch(dialog, IDC_SWATCH_UNDEF);
        },
        [](HWND dialog) {
            EXPECT_EQ(COLORREF(DefaultSideColors[2]), SideColors.colors[2]) << "nothing yet";
            clickButton(dialog, IDC_COLOR_APPLY);
            EXPECT_EQ(0x00123456u, SideColors.colors[2]);
            EXPECT_EQ(0x00ABCDEFu, SideColors.colors[6]);
            EXPECT_EQ(0x00123456u, viewColors(App.sourceView)[2]);
            EXPECT_EQ(0x00123456u, viewColors(App.destinationView)[2]);
            clickButton(dialog, IDC_COLOR_CANCEL);
        },
    });
    EXPECT_EQ(3, run.stepsRun);
    EXPECT_FALSE(run.forced);
    ASSERT_EQ(2u, chooserCalls.size());
    EXPECT_EQ(run.dialog, chooserCalls[0].owner);
    EXPECT_EQ(COLORREF(DefaultSideColors[2]), chooserCalls[0].shown);
    EXPECT_EQ(COLORREF(UndefinedColor), chooserCalls[1].shown);
    EXPECT_EQ(0x00123456u, SideColors.colors[2]) << "Cancel undoes nothing applied";
    EXPECT_EQ(0x00ABCDEFu, SideColors.colors[6]);
    for (HWND view : {App.sourceView, App.destinationView}) {
        Colors expected = defaultSides();
        expected[2] = 0x00123456;
        EXPECT_EQ(expected, viewColors(view)) << "the Undefined entry never reaches a view";
    }
}

TEST_F(SideColoring, OkAppliesTheSourceColoursToTheDestinationToo) {
    setViewColors(App.sourceView, Painted);
    Colors ownColor = Painted;
    ownColor[4] = 0x00777777;
    setViewColors(App.destinationView, ownColor);
    chooserAnswers = {0xFFFFFFFF, 0x00224466};
    const ModalRun run = open({
        [](HWND dialog) { clickSwatch(dialog, IDC_SWATCH_FRONT); },
        [](HWND dialog) {
            EXPECT_EQ(Painted[0], swatchColor(dialog, IDC_SWATCH_FRONT)) << "chooser cancelled";
            clickSwatch(dialog, IDC_SWATCH_UNDER);
        },
        [](HWND dialog) { clickButton(dialog, IDC_COLOR_OK); },
    });
    EXPECT_EQ(3, run.stepsRun);
    EXPECT_FALSE(run.forced);
    Colors expected = Painted;
    expected[5] = 0x00224466;
    EXPECT_EQ(expected, tableSides());
    EXPECT_EQ(expected, viewColors(App.sourceView));
    EXPECT_EQ(expected, viewColors(App.destinationView));
}

TEST_F(SideColoring, ChangesWithoutApplyAreDroppedByCancelAndTheCloseBox) {
    for (bool closeBox : {false, true}) {
        chooserAnswers = {0x00010101};
        const ModalRun run = open({
            [](HWND dialog) { clickSwatch(dialog, IDC_SWATCH_TOP); },
            [closeBox](HWND dialog) {
                if (closeBox)
                    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
                else
                    clickButton(dialog, IDC_COLOR_CANCEL);
            },
        });
        EXPECT_EQ(2, run.stepsRun);
        EXPECT_FALSE(run.forced);
        EXPECT_EQ(defaultSides(), tableSides());
        EXPECT_EQ(defaultSides(), viewColors(App.sourceView));
    }
}

TEST_F(SideColoring, EscAndOtherCommandsLeaveItOpen) {
    chooserAnswers = {0x00303030};
    const ModalRun run = open({
        [](HWND dialog) { clickSwatch(dialog, IDC_SWATCH_LEFT); },
        [](HWND dialog) {
            postKey(GetDlgItem(dialog, IDC_COLOR_APPLY), VK_ESCAPE);
            postKey(dialog, VK_ESCAPE);
        },
        [](HWND dialog) {
            SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        },
        [](HWND dialog) {
            EXPECT_EQ(COLORREF(DefaultSideColors[3]), SideColors.colors[3]);
            clickButton(dialog, IDC_COLOR_OK);
        },
    });
    EXPECT_EQ(4, run.stepsRun);
    EXPECT_FALSE(run.forced);
    EXPECT_EQ(0x00303030u, SideColors.colors[3]);
}

namespace {

// Controls of the platform's colour chooser.
enum {
    ChooserRed = 706,
    ChooserGreen = 707,
    ChooserBlue = 708,
    ChooserAddCustom = 712,
    ChooserCustomColors = 721,
};

void typeInto(HWND dialog, int id, const char* text) {
    HWND field = GetDlgItem(dialog, id);
    SendMessageA(field, EM_SETSEL, 0, -1);
    for (const char* c = text; *c; ++c)
        SendMessageA(field, WM_CHAR, WPARAM(*c), 1);
}

} // namespace

// The real chooser, answered through its own controls: a custom colour defined in one chooser
// is offered by the next, in another opening of the dialog.
TEST_F(SideColoring, CustomColoursLastFromOneChooserToTheNext) {
    colorChooser = chooseColor;
    COLORREF saved[16];
    std::copy(CustomColors, CustomColors + 16, saved);
    std::fill(CustomColors, CustomColors + 16, 0);
    ModalRun run = open({
        [](HWND dialog) { clickSwatch(dialog, IDC_SWATCH_FRONT); },
        [](HWND chooser) {
            typeInto(chooser, ChooserRed, "10");
            typeInto(chooser, ChooserGreen, "20");
            typeInto(chooser, ChooserBlue, "30");
        },
        [](HWND chooser) { clickButton(chooser, ChooserAddCustom); },
        [](HWND chooser) { clickButton(chooser, IDOK); },
        [](HWND dialog) {
            EXPECT_EQ("Side Coloring", windowText(dialog));
            EXPECT_EQ(RGB(10, 20, 30), swatchColor(dialog, IDC_SWATCH_FRONT));
            clickButton(dialog, IDC_COLOR_CANCEL);
        },
    });
    EXPECT_EQ(5, run.stepsRun);
    EXPECT_FALSE(run.forced);
    EXPECT_EQ(RGB(10, 20, 30), CustomColors[0]);

    COLORREF offered = 0;
    run = open({
        [](HWND dialog) { clickSwatch(dialog, IDC_SWATCH_RIGHT); },
        [&offered](HWND chooser) {
            // The middle of the first of the sixteen custom colour boxes.
            HWND boxes = GetDlgItem(chooser, ChooserCustomColors);
            RECT area;
            GetClientRect(boxes, &area);
            offered = pixelAt(boxes, area.right / 16, area.bottom / 4);
            clickButton(chooser, IDCANCEL);
        },
        [](HWND dialog) { clickButton(dialog, IDC_COLOR_OK); },
    });
    EXPECT_EQ(3, run.stepsRun);
    EXPECT_FALSE(run.forced);
    EXPECT_EQ(RGB(10, 20, 30), offered);
    EXPECT_EQ(COLORREF(DefaultSideColors[1]), SideColors.colors[1]) << "the chooser was cancelled";
    std::copy(saved, saved + 16, CustomColors);
}
