#pragma once
// The program's message boxes, built apart from showing them so that tests
// and the screenshot tool see the same box the user does.

class QMessageBox;

namespace pelmora {

struct MessageRequest;

// Caption, text, icon and buttons of a request. The box is made wide enough
// for its caption: a window manager would otherwise squeeze "提取标题" to
// "提… 题" over a box sized to a short text.
void PrepareMessageBox(QMessageBox& box, const MessageRequest& request);

// The width a box needs for this caption in its title bar.
int CaptionWidth(const QMessageBox& box);

}  // namespace pelmora
