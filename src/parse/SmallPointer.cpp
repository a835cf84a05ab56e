// The process-wide tables of SharedPointer and RarePointer. Neither is ever
// destroyed: a token may let go of its fields while the process exits.
#include "SmallPointer.h"

#include <unordered_map>
#include <vector>

namespace {

const void* kNoPointer[1] = {nullptr};

struct SharedTable {
  std::vector<const void*> pointers{nullptr};
  std::unordered_map<const void*, uint32_t> ids;
};
SharedTable& sharedTable() {
  static auto* table = new SharedTable();
  return *table;
}

struct SlotList {
  std::vector<const void*> items{nullptr};
  std::vector<uint32_t> given;  // slots given back, taken again first
};
SlotList& slotList() {
  static auto* list = new SlotList();
  return *list;
}

}  // namespace

const void* const* SmallPointerTables::shared_ = kNoPointer;
const void** SmallPointerTables::slots_ = nullptr;

uint32_t SmallPointerTables::sharedId(const void* p) {
  if (!p) return 0;
  // Tokens made one after the other mostly point to the same object.
  static const void* last = nullptr;
  static uint32_t lastId = 0;
  if (p == last) return lastId;
  SharedTable& table = sharedTable();
  auto [it, added] = table.ids.emplace(p, static_cast<uint32_t>(table.pointers.size()));
  if (added) {
    table.pointers.push_back(p);
    shared_ = table.pointers.data();
  }
  last = p;
  lastId = it->second;
  return lastId;
}

uint32_t SmallPointerTables::takeSlot() {
  SlotList& list = slotList();
  if (!list.given.empty()) {
    const uint32_t id = list.given.back();
    list.given.pop_back();
    return id;
  }
  list.items.push_back(nullptr);
  slots_ = list.items.data();
  return static_cast<uint32_t>(list.items.size() - 1);
}

void SmallPointerTables::giveBack(uint32_t id) {
  SlotList& list = slotList();
  list.items[id] = nullptr;
  list.given.push_back(id);
}
