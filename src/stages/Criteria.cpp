#include "stages/Criteria.h"

namespace tavrin::stages {

namespace {

std::size_t At(int entry) {
  return static_cast<std::size_t>(entry);
}

int EnabledCount(const core::StageCriteria& c) {
  int n = 0;
  for (const core::StageCriterion& e : c) n += e.enabled ? 1 : 0;
  return n;
}

bool Unique(const core::StageCriteria& c) {
  for (std::size_t i = 0; i < c.size(); ++i)
    for (std::size_t j = i + 1; j < c.size(); ++j)
      if (c[i].enabled && c[j].enabled && c[i].priority == c[j].priority) return false;
  return true;
}

}  // namespace

std::uint8_t FirstCriterionType(int entry) {
  static const std::uint8_t kTypes[] = {core::ptFLP, core::ptSLP, core::ptSLPN, core::ptSBP};
  return kTypes[entry & 3];
}

std::uint8_t LastCriterionType(int entry) {
  static const std::uint8_t kTypes[] = {core::ptFHP, core::ptSHP, core::ptSHPN, core::ptSBP};
  return kTypes[entry & 3];
}

void ToggleCriterion(core::StageCriteria& criteria, int entry) {
  core::StageCriterion& e = criteria[At(entry)];
  if (!e.enabled) {
    e.enabled = true;
    e.priority = static_cast<std::int16_t>(EnabledCount(criteria));
    return;
  }
  e.enabled = false;
  for (core::StageCriterion& other : criteria)
    if (other.enabled && other.priority > e.priority)
      other.priority = static_cast<std::int16_t>(other.priority - 1);
}

void CyclePriority(core::StageCriteria& criteria, int entry) {
  core::StageCriterion& e = criteria[At(entry)];
  if (!e.enabled) return;
  const int n = EnabledCount(criteria);
  e.priority = static_cast<std::int16_t>(e.priority >= n ? 1 : e.priority + 1);
}

std::optional<approx::Message> CheckCriteria(const core::StageCriteria& first,
                                             const core::StageCriteria& last) {
  auto error = [](const char* text) {
    return approx::Message{text, approx::MessageKind::Error, approx::MessageButtons::Ok, false,
                           approx::EntryField::None};
  };
  if (!Unique(first)) return error("First stage priorities must be unique.");
  if (!Unique(last)) return error("Last stage priorities must be unique.");
  return std::nullopt;
}

}  // namespace tavrin::stages
