// Preset and bank files: byte layout, loading through either dialog, byte order, short files, safe saving.
#include <cstring>
#include <filesystem>

#include "preset_test_support.h"

namespace zarpa::test {
namespace {

// Records built byte by byte, independently of the code under test. A foreign record is what a machine of
// the other byte order writes: identifier and values reversed, names as they are.
std::vector<unsigned char> floatBytes(float v, bool foreign) {
    unsigned char b[4];
    std::memcpy(b, &v, 4);
    if (foreign) return {b[3], b[2], b[1], b[0]};
    return {b[0], b[1], b[2], b[3]};
}

void appendProgram(std::vector<unsigned char>& out, const char* name, float firstValue, bool foreign) {
    char field[kProgramNameSize] = {};
    std::memcpy(field, name, strnlen(name, kProgramNameSize));
    out.insert(out.end(), field, field + kProgramNameSize);
    for (int j = 0; j < kNumParams; ++j) {
        auto b = floatBytes(firstValue + j / 64.0f, foreign);
        out.insert(out.end(), b.begin(), b.end());
    }
}

std::vector<unsigned char> header(unsigned char kind, bool foreign) {
    std::vector<unsigned char> id = {'r', 'z', 'K', 'O'};  // 'OKzr' in little-endian order
    if (foreign) id = {'O', 'K', 'z', 'r'};
    id.push_back(kind);
    return id;
}

std::vector<unsigned char> presetRecord(const char* name, float firstValue, bool foreign = false) {
    auto r = header(0x21, foreign);
    appendProgram(r, name, firstValue, foreign);
    return r;
}

std::vector<unsigned char> bankRecord(float firstValue, bool foreign = false) {
    auto r = header(0x37, foreign);
    for (int k = 0; k < kNumPrograms; ++k) appendProgram(r, ("Bank " + std::to_string(k)).c_str(), firstValue + k, foreign);
    return r;
}

const std::string kSeparator(1, static_cast<char>(std::filesystem::path::preferred_separator));

float reversed(float v) {
    byteSwap32(&v);
    return v;
}

class RecordFilesTest : public PresetStoreTest {
protected:
    // Loads a file through the preset or bank dialog of a started instance.
    void load(const std::string& path, bool bank, bool endianReversed = false) {
        selector.choices = {path};
        if (bank) in->editor->loadBankFile(endianReversed);
        else in->editor->loadPresetFile(endianReversed);
    }
    void SetUp() override {
        PresetStoreTest::SetUp();
        in = std::make_unique<Instance>();
        in->editor->setFileSelector(&selector);
        fillPrograms(*in->effect);
    }
    void TearDown() override {
        in.reset();  // stores the remembered paths, still into this test's store
        PresetStoreTest::TearDown();
    }
    std::unique_ptr<Instance> in;
    ScriptedSelector selector;
};

TEST_F(RecordFilesTest, SavedPresetAndBankFilesHaveTheRecordLayout) {
    in->effect->selectProgram(5);
    selector.choices = {scratchPath("one.oka")};
    in->editor->savePresetFile();
    std::vector<unsigned char> expected = header(0x21, false);
    expected.insert(expected.end(), in->effect->program(5).name, in->effect->program(5).name + kProgramNameSize);
    for (float v : in->effect->program(5).values) {
        auto b = floatBytes(v, false);
        expected.insert(expected.end(), b.begin(), b.end());
    }
    EXPECT_EQ(readFile(scratchPath("one.oka")), expected);

    selector.choices = {scratchPath("all.okb")};
    in->editor->saveBankFile();
    auto bank = readFile(scratchPath("all.okb"));
    ASSERT_EQ(bank.size(), 3077u);
    EXPECT_EQ(std::vector<unsigned char>(bank.begin(), bank.begin() + 5), header(0x37, false));
    for (int k = 0; k < kNumPrograms; ++k)
        EXPECT_EQ(std::memcmp(bank.data() + 5 + 128 * k, &in->effect->program(k), 128), 0) << "program " << k;
}

TEST_F(RecordFilesTest, BankRoundTripRestoresEveryProgramAndAppliesProgramZero) {
    selector.choices = {scratchPath("all.okb")};
    in->editor->saveBankFile();
    const std::vector<unsigned char> saved = readFile(scratchPath("all.okb"));
    in->effect->initFactoryPresets();
    in->effect->selectProgram(9);
    in->effect->selected.clear();

    load(scratchPath("all.okb"), true);
    unsigned char now[kBankRecordSize] = {};
    in->editor->writeBank(now);
    EXPECT_EQ(std::memcmp(now, saved.data(), kBankRecordSize), 0);
    EXPECT_EQ(in->effect->getCurrentProgramIndex(), 0);
    EXPECT_EQ(in->effect->applied[3], in->effect->program(0).values[3]);
}

TEST_F(RecordFilesTest, PresetLoadReplacesOnlyTheCurrentProgramAndAppliesIt) {
    writeFile(scratchPath("p.oka"), presetRecord("Loaded", 0.25f));
    in->effect->selectProgram(7);
    ProgramRecord before[kNumPrograms];
    std::memcpy(before, in->effect->programs(), sizeof before);
    RecordingPresetBar bar;
    in->editor->setPresetBarView(&bar);

    load(scratchPath("p.oka"), false);
    EXPECT_EQ(in->effect->getCurrentProgramIndex(), 7);
    EXPECT_STREQ(in->effect->program(7).name, "Loaded");
    EXPECT_EQ(in->effect->program(7).values[25], 0.25f + 25 / 64.0f);
    EXPECT_EQ(in->effect->applied[25], 0.25f + 25 / 64.0f);
    for (int k = 0; k < kNumPrograms; ++k)
        if (k != 7) {
            EXPECT_EQ(std::memcmp(&before[k], &in->effect->program(k), 128), 0) << "program " << k;
        }
    EXPECT_EQ(bar.nameField, "Loaded");
    EXPECT_EQ(bar.titles.back(), std::make_pair(7, std::string("Loaded")));
    EXPECT_EQ(bar.redraws, 1);
}

TEST_F(RecordFilesTest, ARecordOfTheOtherKindIsRefusedButABankLoadStillAppliesProgramZero) {
    writeFile(scratchPath("p.oka"), presetRecord("Preset", 0.5f));
    writeFile(scratchPath("b.okb"), bankRecord(0.5f));
    in->effect->selectProgram(4);
    in->effect->selected.clear();
    ProgramRecord before[kNumPrograms];
    std::memcpy(before, in->effect->programs(), sizeof before);

    load(scratchPath("b.okb"), false);  // bank file through the preset dialog: nothing at all
    EXPECT_EQ(std::memcmp(before, in->effect->programs(), sizeof before), 0);
    EXPECT_TRUE(in->effect->selected.empty());

    load(scratchPath("p.oka"), true);  // preset file through the bank dialog: program 0 selected, no change
    EXPECT_EQ(std::memcmp(before, in->effect->programs(), sizeof before), 0);
    EXPECT_EQ(in->effect->selected, std::vector<int>{0});
}

TEST_F(RecordFilesTest, ForeignByteOrderIsRecognisedAndTheReversedLoadSwapsOnceMore) {
    struct Case {
        bool foreignFile, reversedLoad, expectSwapped;
    } cases[] = {{false, false, false}, {true, false, false}, {true, true, true}, {false, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "foreign " << c.foreignFile << " reversed " << c.reversedLoad);
        writeFile(scratchPath("p.oka"), presetRecord("Order", 0.125f, c.foreignFile));
        writeFile(scratchPath("b.okb"), bankRecord(0.375f, c.foreignFile));
        in->effect->selectProgram(2);
        load(scratchPath("p.oka"), false, c.reversedLoad);
        const float presetValue = 0.125f + 3 / 64.0f;
        EXPECT_STREQ(in->effect->program(2).name, "Order");
        EXPECT_EQ(in->effect->program(2).values[3], c.expectSwapped ? reversed(presetValue) : presetValue);

        load(scratchPath("b.okb"), true, c.reversedLoad);
        const float bankValue = 0.375f + 11 + 5 / 64.0f;
        EXPECT_STREQ(in->effect->program(11).name, "Bank 11");
        EXPECT_EQ(in->effect->program(11).values[5], c.expectSwapped ? reversed(bankValue) : bankValue);
    }
}

TEST_F(RecordFilesTest, ShortFilesLoadWithZerosAndForeignIdentifiersAreRefused) {
    in->effect->selectProgram(1);
    auto cut = presetRecord("Cut short", 0.75f);
    cut.resize(29);  // header and name only
    writeFile(scratchPath("cut.oka"), cut);
    load(scratchPath("cut.oka"), false);
    EXPECT_STREQ(in->effect->program(1).name, "Cut short");
    for (float v : in->effect->program(1).values) EXPECT_EQ(v, 0.0f);

    const ProgramRecord kept = in->effect->program(1);
    auto noKind = presetRecord("No kind", 0.5f);
    noKind.resize(4);
    auto otherPlugin = presetRecord("Other", 0.5f);
    otherPlugin[0] ^= 0x01;
    writeFile(scratchPath("nokind.oka"), noKind);
    writeFile(scratchPath("other.oka"), otherPlugin);
    for (const char* name : {"nokind.oka", "other.oka", "missing.oka"}) {
        load(scratchPath(name), false);
        EXPECT_EQ(std::memcmp(&kept, &in->effect->program(1), 128), 0) << name;
    }
}

TEST_F(RecordFilesTest, AFullLengthNameReachesTheProgramWholeAndTheBarTerminated) {
    RecordingPresetBar bar;
    in->editor->setPresetBarView(&bar);
    writeFile(scratchPath("long.oka"), presetRecord("ABCDEFGHIJKLMNOPQRSTUVWX", 0.5f));
    load(scratchPath("long.oka"), false);
    EXPECT_EQ(std::memcmp(in->effect->program(0).name, "ABCDEFGHIJKLMNOPQRSTUVWX", 24), 0);
    EXPECT_EQ(bar.nameField, "ABCDEFGHIJKLMNOPQRSTUVWX");

    writeFile(scratchPath("b.okb"), bankRecord(0.5f));
    load(scratchPath("b.okb"), true);
    ASSERT_EQ(bar.titles.size(), 1u + kNumPrograms);
    EXPECT_EQ(bar.titles.back(), std::make_pair(23, std::string("Bank 23")));
    EXPECT_EQ(bar.currentEntry, 0);
    EXPECT_EQ(bar.nameField, "Bank 0");
}

TEST_F(RecordFilesTest, DialogsAreAskedWithTheirTitlesTypesAndTheRememberedPlace) {
    writeFile(scratchPath("p.oka"), presetRecord("P", 0.5f));
    load(scratchPath("p.oka"), false, true);
    selector.choices = {scratchPath("b.okb")};
    in->editor->saveBankFile();
    selector.choices = {};
    in->editor->savePresetFile();
    in->editor->loadBankFile(false);

    const std::string dir = scratch.string() + kSeparator;
    ASSERT_EQ(selector.requests.size(), 4u);
    const auto& r = selector.requests;
    EXPECT_EQ(r[0].title, "Load preset (endian-reversed)");
    EXPECT_EQ(r[0].style, FileDialogStyle::Open);
    EXPECT_EQ(r[0].description + "/" + r[0].extension, "OKA Preset/oka");
    EXPECT_EQ(r[1].title, "Save bank");
    EXPECT_EQ(r[1].style, FileDialogStyle::Save);
    EXPECT_EQ(r[1].initialDirectory, dir);
    EXPECT_EQ(r[1].description + "/" + r[1].extension, "OKA Bank/okb");
    EXPECT_EQ(r[2].title, "Save preset");
    EXPECT_EQ(r[2].defaultFileName, "p.oka");
    EXPECT_EQ(r[3].title, "Load bank");
    EXPECT_EQ(in->editor->getCurrentBankFile(), std::string("b.okb"));
}

TEST_F(RecordFilesTest, LoadingAndSavingLeaveTheWorkingDirectoryAlone) {
    const auto before = std::filesystem::current_path();
    std::filesystem::create_directory(scratch / "sub");
    selector.choices = {(scratch / "sub" / "x.okb").string()};
    in->editor->saveBankFile();
    in->editor->loadBankFile(false);
    EXPECT_EQ(std::filesystem::current_path(), before);
    EXPECT_EQ(in->editor->getCurrentDirectory(), (scratch / "sub").string() + kSeparator);
}

TEST_F(RecordFilesTest, CancelledOrMultipleChoicesAndAClosedWindowDoNothing) {
    const std::string dir = in->editor->getCurrentDirectory();
    const ProgramRecord kept = in->effect->program(0);
    writeFile(scratchPath("p.oka"), presetRecord("P", 0.5f));
    selector.choices = {scratchPath("p.oka"), scratchPath("p.oka")};
    in->editor->loadPresetFile(false);
    in->editor->savePresetFile();
    EXPECT_EQ(readFile(scratchPath("p.oka")), presetRecord("P", 0.5f));
    in->editor->setFileSelector(nullptr);
    in->editor->loadPresetFile(false);
    EXPECT_EQ(std::memcmp(&kept, &in->effect->program(0), 128), 0);
    EXPECT_EQ(in->editor->getCurrentDirectory(), dir);
    EXPECT_EQ(selector.requests.size(), 2u);
}

}  // namespace
}  // namespace zarpa::test
