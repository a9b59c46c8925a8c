#include "circuits/TuningTable.h"

namespace tavrin::circuits {

std::string TuningRow(int catalogueIndex) {
  if (catalogueIndex < 1 || catalogueIndex > kCatalogueSize) return {};
  std::string row = kTuningTable[static_cast<std::size_t>(catalogueIndex)];
  if (const std::size_t label = row.find('{'); label != std::string::npos) row.erase(label);
  while (!row.empty() && row.back() == ' ') row.pop_back();
  return row;
}

std::string TuningRating(int catalogueIndex) {
  return TuningRow(catalogueIndex).substr(0, 2);
}

std::string TuningRatingName(const std::string& rating) {
  if (rating == "EX") return "Excellent";
  if (rating == "GO") return "Good";
  if (rating == "FA") return "Fair";
  if (rating == "PO") return "Poor";
  if (rating == "NR") return "Not Recommended";
  return {};
}

TuningRecipe ParseTuningRow(const std::string& row) {
  TuningRecipe recipe;
  recipe.rating = row.substr(0, 2);
  if (row.size() > 3) recipe.sequence = row.substr(3);
  std::size_t at = 0;
  while (at < recipe.sequence.size()) {
    std::size_t end = recipe.sequence.find(' ', at);
    if (end == std::string::npos) end = recipe.sequence.size();
    const std::string word = recipe.sequence.substr(at, end - at);
    at = end + 1;
    if (word.empty()) continue;
    ++recipe.slots;
    if (word == "XXXX") continue;
    TuningStep step;
    step.component = word.substr(0, 2);
    if (word.size() >= 4) step.parameter = word.substr(2, 2);
    if (word.size() >= 6) step.link = word.substr(4, 2);
    recipe.steps.push_back(step);
  }
  return recipe;
}

TuningRecipe TuningRecipeOf(int catalogueIndex) {
  return ParseTuningRow(TuningRow(catalogueIndex));
}

}  // namespace tavrin::circuits
