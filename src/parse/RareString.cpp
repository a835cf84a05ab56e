// The slots of RareString: every stored text lives in a slot of one
// process-wide list, and a token field holds the slot's number.
#include "RareString.h"

#include <vector>

namespace {

struct SlotList {
  std::string** items = nullptr;
  size_t size = 1;  // slot 0 stands for "nothing stored"
  size_t capacity = 0;
  std::vector<uint32_t> given;  // slots given back, taken again first
};
// Never destroyed: a token field may give its slot back during the exit.
SlotList& slotList() {
  static auto* list = new SlotList();
  return *list;
}

}  // namespace

std::string* const* RareString::slots_ = nullptr;

uint32_t RareString::takeSlot() {
  SlotList& g_slots = slotList();
  if (!g_slots.given.empty()) {
    const uint32_t id = g_slots.given.back();
    g_slots.given.pop_back();
    return id;
  }
  if (g_slots.size >= g_slots.capacity) {
    const size_t grown = g_slots.capacity < 256 ? 256 : g_slots.capacity * 2;
    auto** bigger = new std::string*[grown]();
    for (size_t i = 1; i < g_slots.size; ++i) bigger[i] = g_slots.items[i];
    delete[] g_slots.items;
    g_slots.items = bigger;
    g_slots.capacity = grown;
    slots_ = bigger;
  }
  g_slots.items[g_slots.size] = new std::string();
  return static_cast<uint32_t>(g_slots.size++);
}

void RareString::giveBack(uint32_t id) {
  SlotList& g_slots = slotList();
  std::string().swap(*g_slots.items[id]);
  g_slots.given.push_back(id);
}
