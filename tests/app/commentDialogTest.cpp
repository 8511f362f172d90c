#include "programWindow.h"
#include "commentDialog.h"
#include "modalDriver.h"
#include "sequenceStore.h"

#include <string>
#include <vector>

namespace {

struct Comments : ProgramWindow {
    ModalRun open(int command, std::vector<DialogStep> steps) {
        return driveModal([this, command] { this->command(command); }, std::move(steps));
    }
};

HWND edit(HWND dialog) {
    return GetDlgItem(dialog, IDC_COMMENT_EDIT);
}

std::string text(const CommentBuffer& comment) {
    return comment.text ? comment.text : "(absent)";
}

std::pair<DWORD, DWORD> selectionOf(HWND control) {
    DWORD start = 0, end = 0;
    SendMessageA(control, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

void type(HWND control, const std::string& characters) {
    for (char c : characters)
        PostMessageA(control, WM_CHAR, WPARAM(uint8_t(c)), 1);
}

} // namespace

TEST_F(Comments, TheFirstSequenceCommentIsEmptyAndOkStoresItEmpty) {
    ASSERT_EQ(nullptr, SequenceComment.text);
    const ModalRun run = open(IDM_SEQUENCE_COMMENT, {[this](HWND dialog) {
                                  EXPECT_EQ("Sequence Comment Dialog", windowText(dialog));
                                  EXPECT_EQ(window, GetWindow(dialog, GW_OWNER));
                                  EXPECT_EQ(reinterpret_cast<LRESULT>(App.programIcon),
                                            SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0));
                                  EXPECT_EQ("Enter comment here:",
                                            windowText(GetDlgItem(dialog, IDC_COMMENT_LABEL)));
                                  EXPECT_EQ("", windowText(edit(dialog)));
                                  EXPECT_EQ(edit(dialog), focusIn(dialog));
                                  clickButton(dialog, IDC_COMMENT_OK);
                              }});
    EXPECT_EQ(1, run.stepsRun);
    EXPECT_FALSE(run.forced);
    EXPECT_EQ("", text(SequenceComment));
    EXPECT_EQ("(absent)", text(CubeComment)) << "the other comment is left alone";
}

TEST_F(Comments, TypedLinesReachTheCubeCommentAsCrLfPairs) {
    setCommentText(&CubeComment, "old text", 9);
    const ModalRun run =
        open(IDM_CUBE_COMMENT,
             {
                 [](HWND dialog) {
                     EXPECT_EQ("Cube Comment Dialog", windowText(dialog));
                     EXPECT_EQ("old text", windowText(edit(dialog)));
                     EXPECT_EQ(std::make_pair(DWORD(0), DWORD(0)), selectionOf(edit(dialog)))
                         << "caret at the start, nothing selected";
                     type(edit(dialog), "new ");
                 },
                 // Enter goes through the dialog's own keyboard handling, and starts a line.
                 [](HWND dialog) { postKey(edit(dialog), VK_RETURN); },
                 [](HWND dialog) { type(edit(dialog), "line"); },
                 [](HWND dialog) {
                     EXPECT_EQ("new \r\nlineold text", windowText(edit(dialog)));
                     clickButton(dialog, IDC_COMMENT_OK);
                 },
             });
    EXPECT_EQ(4, run.stepsRun);
    EXPECT_FALSE(run.forced);
    EXPECT_EQ("new \r\nlineold text", text(CubeComment));
    EXPECT_EQ("(absent)", text(SequenceComment));
}

TEST_F(Comments, CancelEscAndTheCloseBoxNeverChangeAComment) {
    setCommentText(&SequenceComment, "keep", 5);
    const std::vector<std::vector<DialogStep>> closings = {
        {[](HWND dialog) {
            SetWindowTextA(edit(dialog), "changed");
            clickButton(dialog, IDC_COMMENT_CANCEL);
        }},
        {[](HWND dialog) {
             SetWindowTextA(edit(dialog), "changed");
             postKey(edit(dialog), VK_ESCAPE);
         },
         [](HWND dialog) { postKey(GetDlgItem(dialog, IDC_COMMENT_CANCEL), VK_ESCAPE); },
         [](HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0); },
         [](HWND dialog) { SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& steps : closings) {
        const ModalRun run = open(IDM_SEQUENCE_COMMENT, steps);
        EXPECT_EQ(int(steps.size()), run.stepsRun) << "Esc leaves the dialog open";
        EXPECT_FALSE(run.forced);
        EXPECT_EQ("keep", text(SequenceComment));
    }
}

TEST_F(Comments, TypingStopsAt1020Characters) {
    const std::string pasted(1100, 'p');
    const ModalRun run = open(IDM_CUBE_COMMENT, {[&pasted](HWND dialog) {
                                  SendMessageA(edit(dialog), EM_REPLACESEL, TRUE,
                                               reinterpret_cast<LPARAM>(pasted.c_str()));
                                  EXPECT_EQ(1020, GetWindowTextLengthA(edit(dialog)));
                                  clickButton(dialog, IDC_COMMENT_OK);
                              }});
    EXPECT_EQ(1, run.stepsRun);
    EXPECT_EQ(std::string(1020, 'p'), text(CubeComment));
}

// A comment from a file may be longer than anything that can be typed; OK must not cut it.
TEST_F(Comments, ALongLoadedCommentIsShownWholeAndKeptWholeByOk) {
    std::string loaded;
    for (int line = 0; loaded.size() < 3000; ++line)
        loaded += "line " + std::to_string(line) + "\r\n";
    setCommentText(&CubeComment, loaded.c_str(), uint32_t(loaded.size()) + 1);
    const ModalRun run = open(IDM_CUBE_COMMENT, {
                                                    [&loaded](HWND dialog) {
                                                        EXPECT_EQ(loaded, windowText(edit(dialog)));
                                                        type(edit(dialog), "x");
                                                    },
                                                    [&loaded](HWND dialog) {
                                                        EXPECT_EQ(loaded, windowText(edit(dialog)))
                                                            << "nothing more can be typed";
                                                        clickButton(dialog, IDC_COMMENT_OK);
                                                    },
                                                });
    EXPECT_EQ(2, run.stepsRun);
    EXPECT_EQ(loaded, text(CubeComment));

    // Shortened by the user but still above the typing limit: the rest stays whole.
    open(IDM_CUBE_COMMENT, {[](HWND dialog) {
             SendMessageA(edit(dialog), EM_SETSEL, 0, 8);
             SendMessageA(edit(dialog), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(""));
             clickButton(dialog, IDC_COMMENT_OK);
         }});
    EXPECT_EQ(loaded.substr(8), text(CubeComment));
}

TEST_F(Comments, AnyOtherCommentIsRefusedAtOnce) {
    CommentBuffer other = {};
    const ModalRun run = driveModal([this, &other] { editComment(window, &other); }, {});
    EXPECT_EQ(0, run.stepsRun);
    EXPECT_FALSE(run.forced);
    EXPECT_EQ("", text(other)) << "given the empty text first, then left unchanged";
    freeCommentBuffer(&other);
}
