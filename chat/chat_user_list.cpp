#include "chat/chat_user_list.h"

#include <algorithm>
#include <cstring>

int ChatUserList::IndexOf(int16_t clientId) const {
  for (int i = 0; i < count_; ++i) {
    if (users_[static_cast<size_t>(i)].clientId == clientId) return i;
  }
  return -1;
}

int ChatUserList::Add(int16_t clientId, int32_t userNumber, NetDef::UserLevel level, std::string_view name) {
  if (IndexOf(clientId) >= 0 || count_ >= Capacity) return -1;
  ChatUser& u = users_[static_cast<size_t>(count_)];
  u.clientId = clientId;
  u.userNumber = userNumber;
  u.level = level;
  // Names are kept to the wire width; the decoder already cut them there.
  const size_t n = std::min(name.size(), sizeof(u.name) - 1);
  std::memcpy(u.name, name.data(), n);
  u.name[n] = '\0';
  return count_++;
}

int ChatUserList::Remove(int16_t clientId) {
  const int i = IndexOf(clientId);
  if (i < 0) return -1;
  std::move(users_.begin() + i + 1, users_.begin() + count_, users_.begin() + i);
  --count_;
  const auto end = recent_.begin() + recentCount_;
  if (const auto it = std::find(recent_.begin(), end, clientId); it != end) {
    std::move(it + 1, end, it);
    --recentCount_;
  }
  return i;
}

int ChatUserList::ChangeLevel(int16_t clientId, NetDef::UserLevel level) {
  const int i = IndexOf(clientId);
  if (i < 0 || users_[static_cast<size_t>(i)].level == level) return -1;
  users_[static_cast<size_t>(i)].level = level;
  return i;
}

void ChatUserList::NoteSpeaker(int16_t clientId) {
  if (recentCount_ > 0 && recent_[0] == clientId) return;
  const auto end = recent_.begin() + recentCount_;
  if (const auto it = std::find(recent_.begin(), end, clientId); it != end) {
    std::rotate(recent_.begin(), it, it + 1);
    return;
  }
  if (IndexOf(clientId) < 0 || recentCount_ >= Capacity) return;
  std::move_backward(recent_.begin(), end, end + 1);
  recent_[0] = clientId;
  ++recentCount_;
}
