#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "common/MessageBoxes.h"

namespace teshmar::testing {

// Records every message box and answers from a queue (OK when the queue is empty).
class FakeMessageBoxes : public IMessageBoxes {
 public:
  struct Shown {
    std::string text;
    std::string caption;
    unsigned flags;
    MessageBoxOwner owner;
  };

  int Show(const std::string& text, const std::string& caption, unsigned flags, MessageBoxOwner owner) override {
    shown.push_back({text, caption, flags, owner});
    if (journal) journal->push_back("box " + text);
    if (onShow) onShow(text);
    if (answers.empty()) return mb::kIdOk;
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<Shown> shown;
  std::deque<int> answers;
  // When set, every box is also noted here as "box <text>", in order with what else a test notes.
  std::vector<std::string>* journal = nullptr;
  // When set, runs while the box is open, as what a modal loop would let happen meanwhile.
  std::function<void(const std::string& text)> onShow;
};

}  // namespace teshmar::testing
