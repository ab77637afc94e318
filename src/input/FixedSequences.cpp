#include "input/FixedSequences.h"

#include <utility>
#include <vector>

namespace input {

void QueueFixedSequence(KeyPacer& pacer, KeySender& sender, std::span<const KeyEvent> keys,
                        KeyPacer::FailureHandler onFailure) {
  std::vector<KeyPacer::Step> steps;
  for (const KeyEvent& key : keys)
    steps.push_back([&sender, record = Keystroke::FromEvent(key)] {
      sender.SendBalancedKeystroke(record, false);
    });
  pacer.Queue(std::move(steps), FIXED_SEQUENCE_GAP_MS, std::move(onFailure));
}

}  // namespace input
