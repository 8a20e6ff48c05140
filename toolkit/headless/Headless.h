// What a test reaches into in the headless backend: the scripted answers to message boxes and the
// folder dialog, the user actions that modal loops and ProcessMessages run, and what was shown.
// A box the test did not expect, a modal loop left with nothing to do, or an expectation never
// met is recorded as a failure that the test fixture checks.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/Controls.h"
#include "toolkit/Dialogs.h"

namespace toolkit::headless {

struct ShownBox {
  BoxKind kind;
  std::string title;
  std::string text;
  unsigned buttons;
  int answer;
};

// The next box must show `text` with this kind; it is answered with `answer` (a TModalResult).
void ExpectBox(BoxKind kind, const std::string& text, int answer = 1);
// Runs `during` while the expected box is showing (a user acting elsewhere first), then answers.
void ExpectBoxThen(BoxKind kind, const std::string& text, int answer, std::function<void()> during);
const std::vector<ShownBox>& ShownBoxes();
std::size_t PendingBoxes();

// The next folder dialog is confirmed with `answer`, or cancelled when it is empty.
void ExpectFolderDialog(std::optional<std::string> answer);
// The folders the folder dialogs started at.
const std::vector<std::string>& FolderDialogStarts();

// Run, one per turn, by a modal loop or the main loop while they wait for the user.
void QueueUserAction(std::function<void()> action);
// Run by the next pass over the message queue (ProcessMessages), as input arriving mid-task.
void QueueDuringProcessing(std::function<void()> action);
int ProcessMessagesCount();

// Immediate repaints (Control::Repaint) and repaint requests of a control since the last Reset.
int UpdateCount(const Control& control);
int InvalidateCount(const Control& control);
// The control that last received the keyboard focus, if any.
const Control* FocusedControl();

// Everything recorded that should not have happened: unexpected or mismatched boxes, loops left
// waiting without user actions. Unmet expectations are added here too. Clears the list.
std::vector<std::string> TakeFailures();

// A fresh backend: no boxes, actions or failures; the application object, the in-memory file
// system and registry, and the process services back to their start.
void Reset();

}  // namespace toolkit::headless
