#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/message_dispatch.h"

namespace {

using Direction = NetDef::Direction;
using ClientSubscribers = MessageSubscribers<Direction::ToClient>;

template <class M>
NetPacket Frame(const typename M::Info& info) {
  NetPacket p;
  EXPECT_TRUE(M::encode(p, info));
  return p;
}

GmTalk::Info Talk(int16_t room, const char* text) {
  GmTalk::Info t;
  t.room = room;
  CopyText(t.text, text);
  return t;
}

// Which kinds each peer's generated dispatch hands on: the receiving direction
// and the "both" kinds, never the other peer's, never an unknown type.
TEST(DispatchFrameTest, EachPeerGetsOnlyTheKindsItReceives) {
  struct Row {
    NetPacket packet;
    bool client, server;
  };
  NetPacket unknown;
  ASSERT_TRUE(unknown.finish(60, 0));
  const Row rows[] = {
      {Frame<GmAReady>({}), true, false},        {Frame<GmReady>({}), false, true},
      {Frame<GmTalk>(Talk(3, "x")), true, true}, {Frame<GmFormationOpen>({}), false, true},
      {Frame<GmAPing>({}), true, false},         {unknown, false, false},
  };
  for (const Row& row : rows) {
    int clientCalls = 0, serverCalls = 0;
    EXPECT_EQ(DispatchFrame<Direction::ToClient>(row.packet, [&](auto, const auto&) { ++clientCalls; }), row.client)
        << int(row.packet.type());
    EXPECT_EQ(DispatchFrame<Direction::ToServer>(row.packet, [&](auto, const auto&) { ++serverCalls; }), row.server)
        << int(row.packet.type());
    EXPECT_EQ(clientCalls, row.client ? 1 : 0);
    EXPECT_EQ(serverCalls, row.server ? 1 : 0);
  }
}

TEST(DispatchFrameTest, APayloadThatDoesNotDecodeReachesNoOne) {
  const NetPacket whole = Frame<GmTalk>(Talk(3, "hello"));
  NetPacket shortTalk;
  ASSERT_TRUE(shortTalk.finish(NetDef::GmTalk, 3));  // a talk needs more than three bytes
  ClientSubscribers subscribers;
  int calls = 0;
  auto s = subscribers.subscribe<GmTalk>([&](const GmTalk::Info&) { ++calls; });
  EXPECT_FALSE(subscribers.deliver(shortTalk));
  EXPECT_TRUE(subscribers.deliver(whole));
  EXPECT_EQ(calls, 1);
}

TEST(MessageSubscribersTest, EverySubscriberOfTheKindGetsTheRecordInOrder) {
  ClientSubscribers subscribers;
  std::vector<std::string> calls;
  auto a = subscribers.subscribe<GmTalk>([&](const GmTalk::Info& t) { calls.push_back("a:" + std::string(t.text)); });
  auto other = subscribers.subscribe<GmUserCount>([&](const GmUserCount::Info&) { calls.push_back("count"); });
  auto b =
      subscribers.subscribe<GmTalk>([&](const GmTalk::Info& t) { calls.push_back("b:" + std::to_string(t.room)); });
  EXPECT_TRUE(subscribers.deliver(Frame<GmTalk>(Talk(7, "hi"))));
  EXPECT_EQ(calls, (std::vector<std::string>{"a:hi", "b:7"}));
}

TEST(MessageSubscribersTest, AnEndedSubscriptionIsNeverCalled) {
  ClientSubscribers subscribers;
  int calls = 0;
  {
    auto gone = subscribers.subscribe<GmTalk>([&](const GmTalk::Info&) { ++calls; });
  }
  auto moved = subscribers.subscribe<GmTalk>([&](const GmTalk::Info&) { calls += 10; });
  ClientSubscribers::Subscription kept = std::move(moved);
  subscribers.deliver(Frame<GmTalk>(Talk(1, "x")));
  EXPECT_EQ(calls, 10);
  kept.reset();
  subscribers.deliver(Frame<GmTalk>(Talk(1, "x")));
  EXPECT_EQ(calls, 10);
  EXPECT_EQ(subscribers.count<GmTalk>(), 0u);
}

// A handler may run a nested loop that delivers the next frames, and may end
// its own or another's subscription or add one: nothing ended is called, nothing
// added sees the frame in progress, and the nested frame is complete.
TEST(MessageSubscribersTest, DeliveryReentersSafely) {
  ClientSubscribers subscribers;
  std::vector<std::string> calls;
  ClientSubscribers::Subscription second;
  ClientSubscribers::Subscription added;
  auto first = subscribers.subscribe<GmTalk>([&](const GmTalk::Info& t) {
    calls.push_back("first:" + std::string(t.text));
    if (std::string(t.text) != "outer") return;
    subscribers.deliver(Frame<GmTalk>(Talk(1, "inner")));
    second.reset();  // a window destroyed inside a modal box
    added =
        subscribers.subscribe<GmTalk>([&](const GmTalk::Info& u) { calls.push_back("added:" + std::string(u.text)); });
    // Enough new subscriptions that the list grows while it is walked.
    for (int i = 0; i < 64; ++i) {
      ClientSubscribers::Subscription s = subscribers.subscribe<GmTalk>([](const GmTalk::Info&) {});
    }
  });
  second =
      subscribers.subscribe<GmTalk>([&](const GmTalk::Info& t) { calls.push_back("second:" + std::string(t.text)); });
  subscribers.deliver(Frame<GmTalk>(Talk(1, "outer")));
  EXPECT_EQ(calls, (std::vector<std::string>{"first:outer", "first:inner", "second:inner"}));
  calls.clear();
  subscribers.deliver(Frame<GmTalk>(Talk(1, "next")));
  EXPECT_EQ(calls, (std::vector<std::string>{"first:next", "added:next"}));
  EXPECT_EQ(subscribers.count<GmTalk>(), 2u);
}

TEST(MessageSubscribersTest, AHandleMayOutliveTheSubscribers) {
  ClientSubscribers::Subscription handle;
  {
    ClientSubscribers subscribers;
    handle = subscribers.subscribe<GmTalk>([](const GmTalk::Info&) {});
  }
  handle.reset();  // nothing to end, nothing touched
  SUCCEED();
}

}  // namespace
