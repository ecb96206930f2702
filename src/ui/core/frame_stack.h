#pragma once

// The frames a host shows over each other (dialogs, message boxes, file choosers), the active
// one last, and the Cancel a user pressed while a handler waited on the printer.
//
// During such a wait a host drops the user's input, since replayed afterwards it would land in
// whatever dialog comes next. Cancel in a dialog that stops between steps is the exception: the
// host keeps it (KeepCancel) and presses it before the next step, provided that dialog is still
// the active frame and nothing opened meanwhile (TakeKeptCancel).
//
// `Layer` is the host's own record of a frame; its `dialog` member points to the dialog it
// shows, nullptr for a frame that is not a dialog. The stack reads like the vector it holds.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "ui/core/dialog.h"

namespace ui {

// Whether `dialog` has a Cancel button, shown and enabled, that a press would reach.
inline bool CancelButtonTakesPress(const Dialog& dialog) {
  const Control* cancel = dialog.FindControl(IDCANCEL);
  return cancel != nullptr && cancel->IsEnabled() && dialog.IsControlShown(*cancel);
}

template <typename Layer>
class FrameStack {
 public:
  using Layers = std::vector<std::unique_ptr<Layer>>;

  // Puts `layer` on top while `run` (the engine's modal loop for it) runs, and returns what `run`
  // returns; the layer goes again however `run` ends.
  template <typename Run>
  auto Open(std::unique_ptr<Layer> layer, Run&& run) {
    struct Remove {
      Layers& layers;
      const Layer* mine;
      // The layer leaves the stack before it is destroyed: destroying a window can run a
      // host's handlers, which must find the stack whole.
      ~Remove() {
        auto it = std::find_if(layers.begin(), layers.end(),
                               [&](const auto& l) { return l.get() == mine; });
        if (it == layers.end()) return;
        std::unique_ptr<Layer> leaving = std::move(*it);
        layers.erase(it);
      }
    };
    const Remove remove{layers_, layer.get()};
    layers_.push_back(std::move(layer));
    ++frames_opened_;
    return run();
  }

  bool empty() const { return layers_.empty(); }
  size_t size() const { return layers_.size(); }
  const std::unique_ptr<Layer>& back() const { return layers_.back(); }
  const std::unique_ptr<Layer>& operator[](size_t i) const { return layers_[i]; }
  typename Layers::const_iterator begin() const { return layers_.begin(); }
  typename Layers::const_iterator end() const { return layers_.end(); }

  // The active frame's dialog when a Cancel pressed in it now is to be kept: a dialog that stops
  // between steps and has not ended. nullptr otherwise.
  Dialog* CancelKeepingDialog() const {
    if (layers_.empty()) return nullptr;
    Dialog* top = layers_.back()->dialog;
    if (top == nullptr || !top->StopsBetweenSteps() || top->HasEnded()) return nullptr;
    return top;
  }
  // Keeps a Cancel for the active frame (one at most: pressing it twice presses it once).
  void KeepCancel() {
    kept_cancel_layer_ = layers_.empty() ? nullptr : layers_.back().get();
    kept_cancel_frames_ = frames_opened_;
  }
  // Whether a Cancel is kept for `dialog` that TakeKeptCancel would still hand over, and the
  // dialog's Cancel button would take it.
  bool KeepsCancelFor(const Dialog& dialog) const {
    return LiveDialog(kept_cancel_layer_) == &dialog && CancelButtonTakesPress(dialog);
  }
  // The dialog the kept Cancel is for (see LiveDialog); either way the Cancel is no longer kept.
  Dialog* TakeKeptCancel() { return LiveDialog(std::exchange(kept_cancel_layer_, nullptr)); }

 private:
  // The dialog of `kept` (the layer a Cancel was kept for) while it is still the active frame,
  // nothing opened since the Cancel was kept and the dialog has not ended; nullptr otherwise.
  Dialog* LiveDialog(const Layer* kept) const {
    if (kept == nullptr || layers_.empty() || layers_.back().get() != kept ||
        kept_cancel_frames_ != frames_opened_) {
      return nullptr;
    }
    Dialog* dialog = kept->dialog;
    return dialog != nullptr && !dialog->HasEnded() ? dialog : nullptr;
  }

  Layers layers_;
  uint64_t frames_opened_ = 0;
  // The layer a Cancel pressed during a wait was meant for (nullptr: none kept), and the frame
  // count then.
  const Layer* kept_cancel_layer_ = nullptr;
  uint64_t kept_cancel_frames_ = 0;
};

}  // namespace ui
