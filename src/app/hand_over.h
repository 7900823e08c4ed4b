#pragma once
// Handing items from one thread to another in order, a few at most in between: the giver waits
// while that many are waiting to be taken, the taker while none is.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

template <typename Item> class HandOver {
public:
  explicit HandOver(size_t most) : most_(most > 0 ? most : 1) {}
  HandOver(const HandOver &) = delete;
  HandOver &operator=(const HandOver &) = delete;

  // The giver's side: false once the taker has stopped taking (the item is dropped).
  bool Give(Item item) {
    std::unique_lock lock(mutex_);
    roomOrStop_.wait(lock, [&] { return stopped_ || waiting_.size() < most_; });
    if (stopped_) return false;
    waiting_.push_back(std::move(item));
    itemOrEnd_.notify_one();
    return true;
  }

  // The giver has given everything.
  void EndGiving() {
    std::lock_guard lock(mutex_);
    ended_ = true;
    itemOrEnd_.notify_one();
  }

  // The taker's side: the next item, or nothing once the giver has ended and all are taken.
  std::optional<Item> Take() {
    std::unique_lock lock(mutex_);
    itemOrEnd_.wait(lock, [&] { return ended_ || !waiting_.empty(); });
    if (waiting_.empty()) return std::nullopt;
    Item item = std::move(waiting_.front());
    waiting_.pop_front();
    roomOrStop_.notify_one();
    return item;
  }

  // The taker wants no more: items waiting are dropped and every later Give fails.
  void StopTaking() {
    std::lock_guard lock(mutex_);
    stopped_ = true;
    waiting_.clear();
    roomOrStop_.notify_one();
  }

  bool TakingStopped() {
    std::lock_guard lock(mutex_);
    return stopped_;
  }

private:
  std::mutex mutex_;
  std::condition_variable roomOrStop_, itemOrEnd_;
  std::deque<Item> waiting_;
  size_t most_;
  bool ended_ = false;
  bool stopped_ = false;
};
