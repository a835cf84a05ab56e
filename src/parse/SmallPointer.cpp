// The process-wide table of SharedPointer. It is never destroyed: a token
// may let go of its fields while the process exits.
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

}  // namespace

const void* const* SmallPointerTables::shared_ = kNoPointer;
const void* SmallPointerTables::last_ = nullptr;
uint32_t SmallPointerTables::lastId_ = 0;

uint32_t SmallPointerTables::sharedId(const void* p) {
  if (!p) return 0;
  if (p == last_) return lastId_;
  SharedTable& table = sharedTable();
  auto [it, added] = table.ids.emplace(p, static_cast<uint32_t>(table.pointers.size()));
  if (added) {
    table.pointers.push_back(p);
    shared_ = table.pointers.data();
  }
  last_ = p;
  lastId_ = it->second;
  return lastId_;
}
