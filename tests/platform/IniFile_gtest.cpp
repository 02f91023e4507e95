// The settings file class: the Windows profile-file rules, on real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <unistd.h>

#include "platform/IniFile.h"
#include "tests/FileSizeLimit.h"
#include "tests/platform/FolderTest.h"

namespace fs = std::filesystem;
using platform::IniFile;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
            ("inifile_test_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = (dir / "dovra.ini").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    void Write(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::string Read() const
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path dir;
    std::string path;
};

struct IntCase {
    const char* value;
    int expected;
};

}  // namespace

TEST_F(IniFileTest, IntegersReadAsDecimalOrHexElseTheDefault)
{
    const IntCase cases[] = {
        {"1000", 1000},      {"-12", -12}, {"+7", 7},   {"0x3E8", 1000}, {"0X3e8", 1000}, {"$3E8", 1000},
        {"  42  ", 42},      {"", -5},     {"abc", -5}, {"12abc", -5},   {"0x", -5},      {"1.5", -5},
        {"99999999999", -5},
    };
    for (const IntCase& c : cases) {
        Write(std::string("[Opcje]\r\nCzasMon=") + c.value + "\r\n");
        EXPECT_EQ(IniFile(path).ReadInteger("Opcje", "CzasMon", -5), c.expected) << "value '" << c.value << "'";
    }
}

TEST_F(IniFileTest, BooleansReadAsIntegers)
{
    const IntCase cases[] = {{"1", 1}, {"0", 0}, {"2", 1}, {"-1", 1}, {"tak", -1}, {"", -1}, {"0x0", 0}};
    for (const IntCase& c : cases) {
        Write(std::string("[Opcje]\r\nWersja=") + c.value + "\r\n");
        const IniFile ini(path);
        if (c.expected < 0) {  // not a number: the default either way
            EXPECT_TRUE(ini.ReadBool("Opcje", "Wersja", true)) << c.value;
            EXPECT_FALSE(ini.ReadBool("Opcje", "Wersja", false)) << c.value;
        } else {
            EXPECT_EQ(ini.ReadBool("Opcje", "Wersja", c.expected == 0), c.expected != 0) << c.value;
        }
    }
}

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault)
{
    const IniFile missing(path);
    EXPECT_EQ(missing.ReadString("Opcje", "Szer", "d"), "d");
    EXPECT_EQ(missing.ReadInteger("Opcje", "Szer", 3), 3);
    Write("[Sciezki]\r\nSzer=9\r\n[Opcje]\r\nWys=1\r\n");
    EXPECT_EQ(IniFile(path).ReadInteger("Opcje", "Szer", 3), 3);  // the key is in another section
}

TEST_F(IniFileTest, NamesMatchRegardlessOfCase)
{
    Write("[OPCJE]\r\nsZeR=900\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("Opcje", "Szer", 0), 900);
    ini.WriteInteger("opcje", "SZER", 901);
    EXPECT_EQ(Read(), "[OPCJE]\r\nSZER=901\r\n");
}

TEST_F(IniFileTest, ValuesAreBytesWithBlanksAndQuotesAroundRemoved)
{
    Write("[Sciezki]\nTemp =  /tmp/a b/  \nArchiwa=\"/x/\"\nInny=\xb3\xf3\xbf\r\nPusty=\n");
    const IniFile ini(path);
    EXPECT_EQ(ini.ReadString("Sciezki", "Temp", ""), "/tmp/a b/");
    EXPECT_EQ(ini.ReadString("Sciezki", "Archiwa", ""), "/x/");
    EXPECT_EQ(ini.ReadString("Sciezki", "Inny", ""), "\xb3\xf3\xbf");
    EXPECT_EQ(ini.ReadString("Sciezki", "Pusty", "d"), "");  // present but empty is not missing
}

TEST_F(IniFileTest, EveryWriteReachesTheFileAtOnce)
{
    IniFile ini(path);
    ini.WriteInteger("Opcje", "AktPoz", -1);
    EXPECT_EQ(Read(), "[Opcje]\r\nAktPoz=-1\r\n");
    ini.WriteBool("Opcje", "Monitorowanie", true);
    ini.WriteString("Sciezki", "Temp", "/t/");
    ini.WriteBool("Opcje", "Wersja", false);
    EXPECT_EQ(Read(), "[Opcje]\r\nAktPoz=-1\r\nMonitorowanie=1\r\nWersja=0\r\n\r\n[Sciezki]\r\nTemp=/t/\r\n");
    EXPECT_EQ(IniFile(path).ReadInteger("Opcje", "AktPoz", 0), -1);
    EXPECT_FALSE(fs::exists(path + ".tmp" + std::to_string(::getpid())));
}

TEST_F(IniFileTest, WriteReplacesTheKeyAndKeepsTheRest)
{
    Write("; settings\r\n[Opcje]\r\nSzer=1\r\nWys=2\r\n\r\n[Sciezki]\r\nTemp=/t/\r\n");
    IniFile(path).WriteInteger("Opcje", "Szer", 640);
    EXPECT_EQ(Read(), "; settings\r\n[Opcje]\r\nSzer=640\r\nWys=2\r\n\r\n[Sciezki]\r\nTemp=/t/\r\n");
    IniFile(path).WriteInteger("Opcje", "PolX", 5);
    EXPECT_EQ(Read(), "; settings\r\n[Opcje]\r\nSzer=640\r\nWys=2\r\nPolX=5\r\n\r\n[Sciezki]\r\nTemp=/t/\r\n");
}

TEST_F(IniFileTest, FailedWriteRaisesUnableToWrite)
{
    const std::string inMissingFolder = (dir / "nie" / "ma" / "dovra.ini").string();
    try {
        IniFile(inMissingFolder).WriteInteger("Opcje", "Szer", 1);
        FAIL() << "no exception";
    } catch (const platform::EIniFileException& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + inMissingFolder);
    }
    fs::create_directories(path);  // a folder in the file's place
    EXPECT_THROW(IniFile(path).WriteBool("Opcje", "Wersja", true), platform::EIniFileException);
    EXPECT_TRUE(fs::is_directory(path));
}

// A value with a line break would read back as another value, or write keys
// of its own: it is refused and the file keeps every byte.
TEST_F(IniFileTest, ValueWithALineBreakIsRefusedAndNothingWritten)
{
    const std::string before = "[Opcje]\r\nWersja=1\r\n\r\n[Sciezki]\r\nArchiwa=/stare/\r\n";
    const char* const values[] = {"/a\nb/", "/x\r[Opcje]\rWersja=0", "/a\r\n/", "\n", "/koniec/\r"};
    for (const char* value : values) {
        Write(before);
        EXPECT_FALSE(IniFile::CanStore(value)) << value;
        try {
            IniFile(path).WriteString("Sciezki", "Archiwa", value);
            ADD_FAILURE() << "no exception for '" << value << "'";
        } catch (const platform::EIniFileException& error) {
            EXPECT_EQ(std::string(error.what()),
                      "Unable to write to " + path + ": the value of Archiwa holds a line break");
        }
        EXPECT_EQ(Read(), before) << value;
        EXPECT_EQ(IniFile(path).ReadBool("Opcje", "Wersja", false), true);
        EXPECT_EQ(IniFile(path).ReadString("Sciezki", "Archiwa", ""), "/stare/");
    }
    fs::remove(path);
    EXPECT_THROW(IniFile(path).WriteString("Sciezki", "Temp", "/a\nb/"), platform::EIniFileException);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 0);
}

// Blanks at either end and a matching pair of quotes are taken off when a
// value is read: such a value is written inside one more pair of quotes, so
// it reads back as it was. Any other value is written as it is.
TEST_F(IniFileTest, ValuesReadBackAsWritten)
{
    const struct {
        const char* value;
        const char* line;
    } cases[] = {
        {"/a b/", "Temp=/a b/"},
        {" /a/", "Temp=\" /a/\""},
        {"/a/ ", "Temp=\"/a/ \""},
        {"\t/a/\t", "Temp=\"\t/a/\t\""},
        {" ", "Temp=\" \""},
        {"\"/a/\"", "Temp=\"\"/a/\"\""},
        {"'/a/'", "Temp=\"'/a/'\""},
        {"\"\"", "Temp=\"\"\"\""},
        {"\"", "Temp=\""},
        {"\"/a/'", "Temp=\"/a/'"},
        {"/a\"b\"/", "Temp=/a\"b\"/"},
        {"\"/a/", "Temp=\"/a/"},
        {"", "Temp="},
        {"/\xb3\xf3\xbf\x01/", "Temp=/\xb3\xf3\xbf\x01/"},
    };
    for (const auto& c : cases) {
        fs::remove(path);
        EXPECT_TRUE(IniFile::CanStore(c.value)) << c.value;
        IniFile(path).WriteString("Sciezki", "Temp", c.value);
        EXPECT_EQ(Read(), std::string("[Sciezki]\r\n") + c.line + "\r\n") << "value '" << c.value << "'";
        EXPECT_EQ(IniFile(path).ReadString("Sciezki", "Temp", "?"), c.value);
    }
}

// The settings file is replaced as exports are: a new file made beside it
// (exclusively, never through a link), synced, renamed in one step. A user's
// link keeps pointing at the file it names, which gets the new contents; the
// file keeps its permission bits.
class IniFileReplaceTest : public FolderTest {
protected:
    std::string Ini() const { return root + "dovra.ini"; }
    static fs::perms Mode(const std::string& path) { return fs::status(path).permissions() & fs::perms::all; }
};

TEST_F(IniFileReplaceTest, ALinkPlantedAtAWriterNameIsNeverWrittenThrough)
{
    Write("victim", "victim");
    Write("dovra.ini", "[Opcje]\r\nSzer=1\r\n");
    // The name the writer of earlier versions used, and one of the shape of
    // its temporary names now.
    const std::vector<std::string> planted = {"dovra.ini.tmp" + std::to_string(::getpid()), "dovra.ini.part-Plant000"};
    for (const std::string& name : planted)
        fs::create_symlink(root + "victim", root + name);
    IniFile(Ini()).WriteInteger("Opcje", "Szer", 640);
    EXPECT_EQ(Read("victim"), "victim");
    EXPECT_FALSE(fs::is_symlink(Ini()));
    EXPECT_EQ(Read("dovra.ini"), "[Opcje]\r\nSzer=640\r\n");
    for (const std::string& name : planted)
        EXPECT_TRUE(fs::is_symlink(root + name)) << name;  // not the writer's: left alone
}

TEST_F(IniFileReplaceTest, ALinkedSettingsFileStaysALinkAndItsTargetIsUpdated)
{
    fs::create_directory(root + "synced");
    Write("synced/dovra.ini", "[Opcje]\r\nSzer=1\r\n");
    fs::create_symlink(root + "synced/dovra.ini", Ini());
    IniFile(Ini()).WriteInteger("Opcje", "Szer", 640);
    EXPECT_TRUE(fs::is_symlink(Ini()));
    EXPECT_EQ(Read("synced/dovra.ini"), "[Opcje]\r\nSzer=640\r\n");
    EXPECT_EQ(Names(), (std::vector<std::string>{"dovra.ini", "synced"}));
    EXPECT_EQ(Names("synced"), std::vector<std::string>{"dovra.ini"});
}

TEST_F(IniFileReplaceTest, ThePermissionBitsStay)
{
    using fs::perms;
    for (const perms mode : {perms::owner_read | perms::owner_write,
                             perms::owner_read | perms::owner_write | perms::group_read | perms::others_read}) {
        Write("dovra.ini", "[Opcje]\r\nSzer=1\r\n");
        fs::permissions(Ini(), mode);
        IniFile(Ini()).WriteInteger("Opcje", "Wys", 2);
        EXPECT_EQ(Mode(Ini()), mode);
        EXPECT_EQ(Read("dovra.ini"), "[Opcje]\r\nSzer=1\r\nWys=2\r\n");
    }
}

TEST_F(IniFileReplaceTest, AWriteFailingPartWayKeepsTheOldBytes)
{
    const std::string old = "[Opcje]\r\n" + std::string(5000, ';') + "\r\nSzer=1\r\n";
    Write("dovra.ini", old);
    {
        const FileSizeLimit limit(1000);
        ASSERT_TRUE(limit.Set());
        try {
            IniFile(Ini()).WriteInteger("Opcje", "Szer", 640);
            ADD_FAILURE() << "written";
        } catch (const platform::EIniFileException& error) {
            EXPECT_EQ(std::string(error.what()), "Unable to write to " + Ini());
        }
    }
    EXPECT_TRUE(Read("dovra.ini") == old);
    EXPECT_EQ(Names(), std::vector<std::string>{"dovra.ini"});  // nothing left beside it
}

TEST_F(IniFileReplaceTest, TheNextWriteRemovesTheLeftoversOfTheSettingsFile)
{
    Write("dovra.ini", "[Opcje]\r\nSzer=1\r\n");
    for (const std::string name : {"dovra.ini.tmp4242", "dovra.ini.tmp7", "dovra.ini.part-Left0000"})
        Write(name, "left");
    const std::vector<std::string> kept = {"dovra.ini.tmp", "dovra.ini.tmp12a", "dovra.ini.tmpx", "dovra.db.tmp4242",
                                           "dovra.ini.part-Short"};
    for (const std::string& name : kept)
        Write(name, "kept");
    IniFile(Ini()).WriteInteger("Opcje", "Szer", 640);
    std::vector<std::string> expected = kept;
    expected.push_back("dovra.ini");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(), expected);
}
