// The table of token records (TokenRareFields): chunks of 1,024 records
// that never move, so a reference to a record stays good while others are
// taken. The table is never destroyed: a token may give its record back
// while the process exits.
#include "TokenRareFields.h"

#include <vector>

namespace {

struct RecordTable {
  std::vector<TokenRareFields*> chunks;
  uint32_t used = 1;            // record 0 stands for "no record"
  std::vector<uint32_t> given;  // records given back, taken again first
};
RecordTable& recordTable() {
  static auto* table = new RecordTable();
  return *table;
}

}  // namespace

namespace {

const SharedString* lineLayouts() {
  static const SharedString kLayouts[4] = {SharedString(), SharedString("\n\t"), SharedString("\n\t\t"),
                                           SharedString("\n\t\t\t")};
  return kLayouts;
}

}  // namespace

const SharedString& lineAndTabsLayout(unsigned tabs) { return lineLayouts()[tabs & 3]; }

unsigned tabsOfLineLayout(const SharedString& layout) {
  const SharedString* layouts = lineLayouts();
  for (unsigned tabs = 1; tabs < 4; ++tabs)
    if (layouts[tabs].id() == layout.id()) return tabs;
  return 0;
}

TokenRareFields** TokenRareSlot::chunks_ = nullptr;
const TokenRareFields TokenRareSlot::kNone_{};

uint32_t TokenRareSlot::take() {
  RecordTable& table = recordTable();
  if (!table.given.empty()) {
    const uint32_t id = table.given.back();
    table.given.pop_back();
    return id;
  }
  const uint32_t id = table.used++;
  if ((id >> kChunkShift) >= table.chunks.size()) {
    table.chunks.push_back(new TokenRareFields[size_t(1) << kChunkShift]);
    chunks_ = table.chunks.data();
  }
  return id;
}

void TokenRareSlot::release() {
  if (!id_) return;
  at(id_) = TokenRareFields{};
  recordTable().given.push_back(id_);
  id_ = 0;
}

void TokenRareSlot::forgetResolvedTypeOfRecord() {
  TokenRareFields& r = at(id_);
  r.resolvedTypeText.clear();
  if (r.typeToken || !r.trailingText.empty() || !r.typeText.empty() || !r.pendingError.empty() ||
      !r.docComment.empty())
    return;
  // Nothing left in it to clear: it goes back as it is.
  recordTable().given.push_back(id_);
  id_ = 0;
}
