// Headers that lie, made by byte-level damage to a good file: each is read
// safely as far as the data goes or refused as kCorrupt.
#include <gtest/gtest.h>

#include <functional>

#include "engine/table.h"
#include "engine_test_util.h"

namespace {

using platform::ErrorCode;

struct Damage {
  const char* name;
  std::function<void(std::string&)> apply;
  ErrorCode code;       // kOk: opens
  size_t rows = 0;      // rows seen when it opens
};

void Put16(std::string& b, size_t off, uint16_t v) {
  b[off] = char(v & 0xFF);
  b[off + 1] = char(v >> 8);
}

constexpr size_t kHeader = 32 + 32 * 5 + 1;  // the InstalSpec layout

class CorruptTest : public ::testing::TestWithParam<Damage> {};

TEST_P(CorruptTest, OpensSafelyOrReportsCorrupt) {
  engine_test::TempDir dir;
  std::string bytes = engine_test::MakeDbf(engine_test::InstalSpec());
  GetParam().apply(bytes);
  engine_test::WriteAll(dir / "T.DBF", bytes);
  engine::Table t;
  t.SetDatabaseName(dir.path().string());
  t.SetTableName("T.DBF");
  engine::Status st = t.Open();
  ASSERT_EQ(st.code(), GetParam().code) << st.ToString();
  if (!st.ok()) {
    EXPECT_FALSE(t.IsOpen());
    return;
  }
  EXPECT_EQ(t.RecordCount(), GetParam().rows);
  for (bool ok = t.First(); ok; ok = t.Next()) (void)t.GetString("NAIM");
  // The table stays writable: an appended row is read back after reopening.
  t.Append();
  ASSERT_TRUE(t.SetString("NAIM", "appended").ok());
  ASSERT_TRUE(t.Post().ok());
  t.Close();
  ASSERT_TRUE(t.Open().ok());
  ASSERT_TRUE(t.Last());
  EXPECT_EQ(t.GetString("NAIM"), "appended");
  EXPECT_EQ(t.RecordCount(), GetParam().rows + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, CorruptTest,
    ::testing::Values(
        Damage{"CountBeyondEof", [](std::string& b) { b[4] = 100; }, ErrorCode::kOk, 4},
        Damage{"CountBelowData", [](std::string& b) { b[4] = 2; }, ErrorCode::kOk, 2},
        Damage{"MissingEofByte", [](std::string& b) { b.pop_back(); }, ErrorCode::kOk, 4},
        Damage{"DoubledEofByte", [](std::string& b) { b += '\x1A'; }, ErrorCode::kOk, 4},
        Damage{"LastRecordCut", [](std::string& b) { b.resize(b.size() - 10); }, ErrorCode::kOk, 3},
        Damage{"RecordLengthLargerThanFields",
               [](std::string& b) { Put16(b, 10, 39 + 3); }, ErrorCode::kOk, 3},
        Damage{"RecordLengthSmallerThanFields", [](std::string& b) { Put16(b, 10, 20); },
               ErrorCode::kCorrupt},
        Damage{"RecordLengthZero", [](std::string& b) { Put16(b, 10, 0); }, ErrorCode::kCorrupt},
        Damage{"HeaderLengthPastFile", [](std::string& b) { Put16(b, 8, 60000); },
               ErrorCode::kCorrupt},
        Damage{"HeaderLengthTooSmall", [](std::string& b) { Put16(b, 8, 40); },
               ErrorCode::kCorrupt},
        Damage{"NoTerminator", [](std::string& b) { b[kHeader - 1] = 'X'; }, ErrorCode::kCorrupt},
        Damage{"ZeroWidthField", [](std::string& b) { b[32 + 32 + 16] = 0; }, ErrorCode::kCorrupt},
        Damage{"NoFields", [](std::string& b) { b[32] = 0x0D; Put16(b, 8, 33); },
               ErrorCode::kCorrupt},
        Damage{"TruncatedInDescriptors", [](std::string& b) { b.resize(100); },
               ErrorCode::kCorrupt},
        Damage{"ShorterThanHeader", [](std::string& b) { b.resize(20); }, ErrorCode::kCorrupt},
        Damage{"Empty", [](std::string& b) { b.clear(); }, ErrorCode::kCorrupt},
        Damage{"Dbase7", [](std::string& b) { b[0] = 0x04; }, ErrorCode::kUnsupported}),
    [](const auto& info) { return info.param.name; });

}  // namespace
