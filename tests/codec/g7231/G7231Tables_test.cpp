// The engine's constant tables are generated from tables.txt (scripts/generate-g7231-tables.py);
// this checks, value for value, that the compiled tables and constants are the file's.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "codec/g7231/G7231Tables.h"
#include "support/TestPaths.h"

namespace {

using T = G7231Tables;

struct FileTable {
  std::string type;
  std::string count;
  std::vector<int64_t> values;
};

struct TablesFile {
  std::map<std::string, FileTable> tables;
  std::map<std::string, int64_t> constants;
};

TablesFile parseTablesFile(const std::string& text) {
  TablesFile file;
  std::istringstream lines(text);
  std::string line;
  FileTable* current = nullptr;
  bool inConstants = false;
  while (std::getline(lines, line)) {
    if (line.empty()) continue;
    std::istringstream words(line);
    if (line[0] == '#') {
      std::string hash, name, type, count;
      words >> hash >> name >> type >> count;
      if (name == "constants") {
        inConstants = true;
        continue;
      }
      current = &file.tables[name];
      current->type = type;
      current->count = count;
      continue;
    }
    if (inConstants) {
      std::string name, equals;
      int64_t value = 0;
      words >> name >> equals >> value;
      file.constants[name] = value;
    } else if (current != nullptr) {
      int64_t value = 0;
      while (words >> value) current->values.push_back(value);
    }
  }
  return file;
}

struct ProjectTable {
  const char* name;
  const char* type;
  const char* count;
  const void* data;
  size_t size;
};

template <typename V, size_t N>
ProjectTable table(const char* name, const char* count, const V (&values)[N]) {
  return {name, sizeof(V) == 2 ? "int16" : "int32", count, values, N};
}

template <typename V, size_t R, size_t C>
ProjectTable table(const char* name, const char* count, const V (&values)[R][C]) {
  return {name, sizeof(V) == 2 ? "int16" : "int32", count, values, R * C};
}

int64_t valueAt(const ProjectTable& t, size_t i) {
  if (std::string(t.type) == "int16") return static_cast<const int16_t*>(t.data)[i];
  return static_cast<const int32_t*>(t.data)[i];
}

TEST(G7231Tables, EqualTheReferenceTablesFile) {
  const TablesFile file = parseTablesFile(kxtest::readFile(kxtest::fixtureDir() + "/g7231/tables.txt"));
  const ProjectTable tables[] = {
      table("HammingWindowTable", "180", T::HammingWindowTable),
      table("BinomialWindowTable", "10", T::BinomialWindowTable),
      table("BandExpTable", "10", T::BandExpTable),
      table("CosineTable", "512", T::CosineTable),
      table("LspDcTable", "10", T::LspDcTable),
      table("BandInfoTable", "3x2", T::BandInfoTable),
      table("Band0Tb8", "768", T::Band0Tb8),
      table("Band1Tb8", "768", T::Band1Tb8),
      table("Band2Tb8", "1024", T::Band2Tb8),
      table("PerFiltZeroTable", "10", T::PerFiltZeroTable),
      table("PerFiltPoleTable", "10", T::PerFiltPoleTable),
      table("PostFiltZeroTable", "10", T::PostFiltZeroTable),
      table("PostFiltPoleTable", "10", T::PostFiltPoleTable),
      table("Nb_puls", "4", T::Nb_puls),
      table("FcbkGainTable", "24", T::FcbkGainTable),
      table("MaxPosTable", "4", T::MaxPosTable),
      table("CombinatorialTable", "6x30", T::CombinatorialTable),
      table("AcbkGainTable085", "1700", T::AcbkGainTable085),
      table("AcbkGainTable170", "3400", T::AcbkGainTable170),
      table("LpfConstTable", "2", T::LpfConstTable),
      table("epsi170", "170", T::epsi170),
      table("gain170", "170", T::gain170),
      table("tabgain170", "170", T::tabgain170),
      table("tabgain85", "85", T::tabgain85),
      table("fact", "4", T::fact),
      table("L_bseg", "3", T::L_bseg),
      table("base", "3", T::base),
      table("ShiftTable", "16", T::ShiftTable),
      table("ScfTab", "11", T::ScfTab),
  };
  EXPECT_EQ(file.tables.size(), std::size(tables)) << "every table of the file has a counterpart";
  size_t values = 0;
  for (const ProjectTable& t : tables) {
    SCOPED_TRACE(t.name);
    const auto found = file.tables.find(t.name);
    ASSERT_NE(found, file.tables.end());
    EXPECT_EQ(found->second.type, t.type);
    EXPECT_EQ(found->second.count, t.count);
    ASSERT_EQ(found->second.values.size(), t.size);
    for (size_t i = 0; i < t.size; ++i) ASSERT_EQ(valueAt(t, i), found->second.values[i]) << "index " << i;
    values += t.size;
  }
  EXPECT_EQ(values, 9274u);

  const std::map<std::string, int64_t> constants = {
      {"Frame", T::Frame}, {"LpcFrame", T::LpcFrame}, {"SubFrames", T::SubFrames}, {"SubFrLen", T::SubFrLen},
      {"LpcOrder", T::LpcOrder}, {"RidgeFact", T::RidgeFact}, {"CosineTableSize", T::CosineTableSize},
      {"PreCoef", T::PreCoef}, {"LspPrd0", T::LspPrd0}, {"LspPrd1", T::LspPrd1}, {"LspQntBands", T::LspQntBands},
      {"LspCbSize", T::LspCbSize}, {"LspCbBits", T::LspCbBits}, {"PitchMin", T::PitchMin},
      {"PitchMax", T::PitchMax}, {"PwConst", T::PwConst}, {"PwRange", T::PwRange}, {"ClPitchOrd", T::ClPitchOrd},
      {"Pstep", T::Pstep}, {"NbFilt085", T::NbFilt085}, {"NbFilt170", T::NbFilt170}, {"Sgrid", T::Sgrid},
      {"MaxPulseNum", T::MaxPulseNum}, {"MlqSteps", T::MlqSteps}, {"SubFrLen2", T::SubFrLen2},
      {"DIM_RR", T::DIM_RR}, {"NB_POS", T::NB_POS}, {"STEP", T::STEP}, {"MSIZE", T::MSIZE},
      {"threshold", T::threshold}, {"max_time", T::max_time}, {"NumOfGainLev", T::NumOfGainLev},
      {"ErrMaxNum", T::ErrMaxNum}, {"NbAvAcf", T::NbAvAcf}, {"NbAvGain", T::NbAvGain},
      {"ThreshGain", T::ThreshGain}, {"FracThresh", T::FracThresh}, {"NbPulsBlk", T::NbPulsBlk},
      {"InvNbPulsBlk", T::InvNbPulsBlk}, {"NbFilt", T::NbFilt}, {"LpcOrderP1", T::LpcOrderP1},
      {"SizAcf", T::SizAcf}, {"SubFrLenD", T::SubFrLenD}, {"Gexc_Max", T::Gexc_Max},
      {"NbFilt085_min", T::NbFilt085_min}, {"NbFilt170_min", T::NbFilt170_min}, {"SizErr", T::SizErr},
      {"Err0", T::Err0}, {"ThreshErr", T::ThreshErr}, {"DEC", T::DEC}, {"MAX_32", T::MAX_32},
      {"MIN_32", T::MIN_32}, {"MAX_16", T::MAX_16}, {"MIN_16", T::MIN_16},
  };
  EXPECT_EQ(file.constants, constants);
}

}  // namespace
