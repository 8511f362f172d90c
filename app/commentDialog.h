// The comment dialog, editing the sequence comment or the cube comment.
#pragma once

#include <windows.h>

struct CommentBuffer;

void editComment(HWND owner, CommentBuffer* comment);
