#include "output/NgspiceData.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tavrin::output {

const std::vector<std::complex<double>>* WrdataTable::Find(const std::string& name) const {
  for (std::size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) return &vectors[i];
  return nullptr;
}

std::vector<WrdataTable> ReadWrdata(const std::filesystem::path& file) {
  std::vector<WrdataTable> tables;
  std::vector<bool> complexColumn;  // per vector of the current table
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::vector<std::string> tokens;
    for (std::string w; words >> w;) tokens.push_back(w);
    if (tokens.empty()) continue;
    char* end = nullptr;
    std::strtod(tokens[0].c_str(), &end);
    if (*end != '\0') {  // a header: the scale's name, then the vectors'
      WrdataTable t;
      complexColumn.clear();
      for (std::size_t k = 1; k < tokens.size(); ++k) {
        const bool pair = k + 1 < tokens.size() && tokens[k + 1] == tokens[k];
        t.names.push_back(tokens[k]);
        complexColumn.push_back(pair);
        if (pair) ++k;
      }
      t.vectors.resize(t.names.size());
      tables.push_back(std::move(t));
      continue;
    }
    if (tables.empty()) continue;
    WrdataTable& t = tables.back();
    std::size_t k = 0;
    t.scale.push_back(std::strtod(tokens[k++].c_str(), nullptr));
    for (std::size_t v = 0; v < t.names.size() && k < tokens.size(); ++v) {
      const double re = std::strtod(tokens[k++].c_str(), nullptr);
      const double im = complexColumn[v] && k < tokens.size() ? std::strtod(tokens[k++].c_str(), nullptr) : 0.0;
      t.vectors[v].emplace_back(re, im);
    }
  }
  return tables;
}

}  // namespace tavrin::output
