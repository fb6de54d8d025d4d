#pragma once
// Received frames to typed records, generated from the message table.
//
//   DispatchFrame<Direction::ToServer>(packet, [&](auto message, const auto& info) {
//     handle(session, message, info);   // one overload per kind the peer receives
//   });
//
// Only the kinds the receiving peer accepts get a case, so a peer that lacks a
// handler for one of them does not compile. Each frame is decoded once, into a
// record of its own, before anything can re-enter.
//
// MessageSubscribers is the client's side of it: receivers subscribe to the
// kinds they want and get each decoded record in one call, with no router in
// between. A subscription ends when its handle goes.

#include <cstdint>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "net/message_catalogue.h"
#include "net/net_messages.h"

// The message whose record is Info: MessageOf<GmTalk::Info>::type is GmTalk.
template <class Info>
struct MessageOf;
#define TURFWING_MESSAGE_OF(t, name, dir) \
  template <>                             \
  struct MessageOf<name::Info> {          \
    using type = name;                    \
  };
TURFWING_MESSAGES(TURFWING_MESSAGE_OF)
#undef TURFWING_MESSAGE_OF

// Decodes the packet's frame into the record of its kind and calls
// visit(M{}, info). False, with nothing called, for a kind the receiving peer
// does not take, an unknown type, or a payload that does not decode.
template <NetDef::Direction Receiving, class Visitor>
bool DispatchFrame(const NetPacket& packet, Visitor&& visit) {
  switch (packet.type()) {
#define TURFWING_DISPATCH_CASE(t, name, dir)                                               \
  case t:                                                                                  \
    if constexpr (NetDef::Receives(Receiving, NetDef::Direction::dir)) {                   \
      typename name::Info info;                                                            \
      if (!name::decode(packet, info)) return false;                                       \
      std::forward<Visitor>(visit)(name{}, static_cast<const typename name::Info&>(info)); \
      return true;                                                                         \
    } else {                                                                               \
      return false;                                                                        \
    }
    TURFWING_MESSAGES(TURFWING_DISPATCH_CASE)
#undef TURFWING_DISPATCH_CASE
    default:
      return false;
  }
}

// Typed subscriptions to received messages, for the peer receiving in
// `Receiving`. Delivery may re-enter (a handler opens a modal box whose loop
// reads the next frames); a subscription added during a delivery sees the next
// frame, one ended during it is not called again, not even by the delivery in
// progress.
template <NetDef::Direction Receiving>
class MessageSubscribers {
  struct Entry {
    uint64_t id = 0;
    std::shared_ptr<std::function<void(const void*)>> handler;
  };
  struct Table {
    std::vector<Entry> byType[256];
    uint64_t nextId = 1;
    int depth = 0;
    bool dirty = false;
  };

 public:
  // Ends its subscription when destroyed. It may outlive the subscribers.
  class Subscription {
   public:
    Subscription() = default;
    Subscription(Subscription&& other) noexcept { *this = std::move(other); }
    Subscription& operator=(Subscription&& other) noexcept {
      if (this != &other) {
        reset();
        table_ = std::move(other.table_);
        type_ = other.type_;
        id_ = std::exchange(other.id_, 0);
      }
      return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { reset(); }

    void reset() {
      const std::shared_ptr<Table> table = table_.lock();
      table_.reset();
      if (!table || id_ == 0) return;
      for (Entry& e : table->byType[type_]) {
        if (e.id != id_) continue;
        e.handler.reset();
        table->dirty = true;
      }
      id_ = 0;
      if (table->depth == 0) compact(*table);
    }

   private:
    friend class MessageSubscribers;
    Subscription(const std::shared_ptr<Table>& table, uint8_t type, uint64_t id)
        : table_(table), type_(type), id_(id) {}
    std::weak_ptr<Table> table_;
    uint8_t type_ = 0;
    uint64_t id_ = 0;
  };

  template <class M>
  [[nodiscard]] Subscription subscribe(std::function<void(const typename M::Info&)> handler) {
    static_assert(NetDef::Receives(Receiving, direction_of<M>()), "this peer never receives that message");
    auto erased = std::make_shared<std::function<void(const void*)>>(
        [h = std::move(handler)](const void* info) { h(*static_cast<const typename M::Info*>(info)); });
    const uint64_t id = table_->nextId++;
    table_->byType[M::Type].push_back({id, std::move(erased)});
    return Subscription(table_, M::Type, id);
  }

  // Decodes the packet once and hands the record to every subscriber of its
  // kind, in the order they subscribed. False when no kind of this peer's
  // decoded from it.
  bool deliver(const NetPacket& packet) {
    return DispatchFrame<Receiving>(packet, [this](auto message, const auto& info) {
      using M = decltype(message);
      const std::shared_ptr<Table> table = table_;
      ++table->depth;
      // Entries added while handlers run are past `count`; ended ones have no
      // handler. Each is looked up again after a call, which may have grown the list.
      const size_t count = table->byType[M::Type].size();
      for (size_t i = 0; i < count; ++i) {
        const std::shared_ptr<std::function<void(const void*)>> handler = table->byType[M::Type][i].handler;
        if (handler) (*handler)(&info);
      }
      if (--table->depth == 0 && table->dirty) compact(*table);
    });
  }

  // The number of live subscriptions to M (for tests and traces).
  template <class M>
  size_t count() const {
    size_t n = 0;
    for (const Entry& e : table_->byType[M::Type]) n += e.handler ? 1 : 0;
    return n;
  }

 private:
  template <class M>
  static constexpr NetDef::Direction direction_of() {
    NetDef::Direction d = NetDef::Direction::Both;
#define TURFWING_DIRECTION_OF(t, name, dir) \
  if constexpr (std::is_same_v<M, name>) d = NetDef::Direction::dir;
    TURFWING_MESSAGES(TURFWING_DIRECTION_OF)
#undef TURFWING_DIRECTION_OF
    return d;
  }

  static void compact(Table& table) {
    for (std::vector<Entry>& entries : table.byType) {
      std::erase_if(entries, [](const Entry& e) { return !e.handler; });
    }
    table.dirty = false;
  }

  std::shared_ptr<Table> table_ = std::make_shared<Table>();
};
