// The form-file library zoZezoForm: published properties as JSON, and its refusals.
#include "zoZezo/Form.h"

#include "zoZezo/Evaluator.h"
#include "zoZezo/Exception.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>

using namespace zoZezo;

namespace {

// Expects LoadForm to throw an Exception whose message contains Part, and the evaluator to
// keep every syntax character and its name.
void ExpectRefused(const std::string& Json, const std::string& Part) {
    TzoZezoEvaluator Evaluator;
    Evaluator.Name = "Before";
    Evaluator.Separator = ',';
    const TPropertyList Before = Evaluator.StoredProperties();
    try {
        LoadForm(Evaluator, Json);
        ADD_FAILURE() << "no exception for " << Json;
    } catch (const Exception& E) {
        EXPECT_NE(E.Message().find(Part), std::string::npos)
            << "message: " << E.Message() << "\nexpected to contain: " << Part;
    }
    EXPECT_EQ(Evaluator.StoredProperties(), Before) << Json;
    EXPECT_EQ(Evaluator.Name, "Before") << Json;
}

// A component with a flag and a number, to cover the other JSON types.
class TSettings : public TComponent {
public:
    TSettings() {
        Publish({"Visible", [this] { return TPropertyValue(Visible); },
                 [this](const TPropertyValue& V) { Visible = std::get<bool>(V); },
                 TPropertyValue(true)});
        Publish({"RefreshDelay", [this] { return TPropertyValue(RefreshDelay); },
                 [this](const TPropertyValue& V) { RefreshDelay = std::get<std::int64_t>(V); },
                 TPropertyValue(std::int64_t{500})});
    }
    const char* ClassName() const override { return "TSettings"; }
    bool Visible = true;
    std::int64_t RefreshDelay = 500;
};

// A file in the temporary folder, removed at the end of the test.
class TTempFile {
public:
    explicit TTempFile(const std::string& Stem)
        : FPath(std::filesystem::temp_directory_path() /
                (Stem + "-" + std::to_string(::getpid()) + ".json")) {}
    ~TTempFile() {
        std::error_code Ignored;
        std::filesystem::remove(FPath, Ignored);
    }
    const std::filesystem::path& Path() const { return FPath; }

private:
    std::filesystem::path FPath;
};

} // namespace

TEST(Form, DefaultsWriteNoProperty) {
    TzoZezoEvaluator Evaluator;
    EXPECT_EQ(SaveForm(Evaluator),
              "{\n  \"class\": \"TzoZezoEvaluator\",\n  \"properties\": {}\n}");
}

TEST(Form, WritesChangedPropertiesAndTheName) {
    TzoZezoEvaluator Evaluator;
    Evaluator.Name = "Evaluator1";
    Evaluator.CloseComment = '{';
    Evaluator.DecimalPoint = ',';
    EXPECT_EQ(SaveForm(Evaluator), R"({
  "class": "TzoZezoEvaluator",
  "name": "Evaluator1",
  "properties": {
    "DecimalPoint": ",",
    "CloseComment": "{"
  }
})");
}

TEST(Form, RoundTrip) {
    TzoZezoEvaluator Source;
    Source.Name = "Rechner_Ä";
    Source.CloseComment = '{';
    Source.Imaginary = 'i';
    Source.OpenParentesis = '[';
    Source.CloseParentesis = ']';
    Source.Separator = '"'; // needs escaping in JSON
    Source.OpenComment = '\\';
    TzoZezoEvaluator Target;
    LoadForm(Target, SaveForm(Source));
    EXPECT_EQ(Target.Name, "Rechner_Ä");
    EXPECT_EQ(Target.StoredProperties(), Source.StoredProperties());
    EXPECT_EQ(Target.Separator, '"');
    EXPECT_EQ(Target.OpenComment, '\\');
}

TEST(Form, ReadsTheExampleOfTheDocumentation) {
    TzoZezoEvaluator Evaluator;
    LoadForm(Evaluator, R"({"class": "TzoZezoEvaluator", "properties": {"CloseComment": "{"}})");
    EXPECT_EQ(Evaluator.CloseComment, '{');
    EXPECT_EQ(Evaluator.OpenComment, '{');
    EXPECT_EQ(Evaluator.Name, "");
}

TEST(Form, UnlistedPropertiesTakeTheirDefaults) {
    TzoZezoEvaluator Evaluator;
    Evaluator.Name = "Old";
    Evaluator.DecimalPoint = ',';
    Evaluator.Separator = '|';
    LoadForm(Evaluator, R"({"class": "TzoZezoEvaluator", "properties": {"Separator": "!"}})");
    EXPECT_EQ(Evaluator.DecimalPoint, '.');
    EXPECT_EQ(Evaluator.Separator, '!');
    EXPECT_EQ(Evaluator.Name, "");
}

TEST(Form, PropertiesAndNameMayBeLeftOut) {
    TzoZezoEvaluator Evaluator;
    LoadForm(Evaluator, R"({"class": "TzoZezoEvaluator"})");
    EXPECT_TRUE(Evaluator.StoredProperties().empty());
}

TEST(Form, LoadingTouchesNeitherTablesNorEquations) {
    TzoZezoEvaluator Evaluator;
    long double X = 1;
    Evaluator.Variables().Add("x", &X, nullptr);
    Evaluator.Equations().Add("y: x");
    LoadForm(Evaluator, R"({"class": "TzoZezoEvaluator", "properties": {"Imaginary": "i"}})");
    EXPECT_EQ(Evaluator.Variables().Count(), 1);
    EXPECT_EQ(Evaluator.Equations().Count(), 1);
}

TEST(Form, FlagsAndNumbers) {
    TSettings Source;
    Source.Visible = false;
    Source.RefreshDelay = 250;
    const std::string Json = SaveForm(Source);
    EXPECT_NE(Json.find("\"Visible\": false"), std::string::npos) << Json;
    EXPECT_NE(Json.find("\"RefreshDelay\": 250"), std::string::npos) << Json;
    TSettings Target;
    LoadForm(Target, Json);
    EXPECT_FALSE(Target.Visible);
    EXPECT_EQ(Target.RefreshDelay, 250);
}

TEST(Form, NumbersOfTheWrongKindAreRefused) {
    TSettings Settings;
    EXPECT_THROW(
        LoadForm(Settings, R"({"class": "TSettings", "properties": {"RefreshDelay": 2.5}})"),
        Exception);
    EXPECT_THROW(
        LoadForm(Settings, R"({"class": "TSettings", "properties": {"RefreshDelay": "1"}})"),
        Exception);
    EXPECT_THROW(
        LoadForm(Settings,
                 R"({"class": "TSettings", "properties": {"RefreshDelay": 18446744073709551615}})"),
        Exception);
    EXPECT_THROW(LoadForm(Settings, R"({"class": "TSettings", "properties": {"Visible": 1}})"),
                 Exception);
    EXPECT_EQ(Settings.RefreshDelay, 500);
    EXPECT_TRUE(Settings.Visible);
    LoadForm(Settings, R"({"class": "TSettings", "properties": {"RefreshDelay": -7}})");
    EXPECT_EQ(Settings.RefreshDelay, -7);
}

TEST(Form, MalformedJsonIsRefused) {
    ExpectRefused("", "malformed JSON");
    ExpectRefused("{", "malformed JSON");
    ExpectRefused(R"({"class": "TzoZezoEvaluator",})", "malformed JSON");
    ExpectRefused(R"({"class": "TzoZezoEvaluator"} trailing)", "malformed JSON");
    ExpectRefused("{\"class\": \"TzoZezoEvaluator\", \"name\": \"\xFF\"}", "malformed JSON");
}

TEST(Form, ShapeIsChecked) {
    ExpectRefused("[]", "expected a JSON object, found an array");
    ExpectRefused("4.5", "expected a JSON object, found a fraction");
    ExpectRefused(R"({"properties": {}})", "names no \"class\"");
    ExpectRefused(R"({"class": 1})", "\"class\" must be a string");
    ExpectRefused(R"({"class": "TzoZezoEvaluator", "name": 3})", "\"name\" must be a string");
    ExpectRefused(R"({"class": "TzoZezoEvaluator", "properties": []})",
                  "\"properties\" must be a JSON object");
    ExpectRefused(R"({"class": "TzoZezoEvaluator", "colour": "red"})", "unknown key \"colour\"");
    ExpectRefused(R"({"class": "TzoZezoEvaluator", "class": "TzoZezoEvaluator"})",
                  "the key \"class\" is given twice");
    ExpectRefused(
        R"({"class": "TzoZezoEvaluator", "properties": {"Separator": ",", "Separator": "|"}})",
        "the key \"Separator\" is given twice");
}

TEST(Form, WrongClassIsRefused) {
    ExpectRefused(R"({"class": "TovEquationMemo", "properties": {}})",
                  "describes a TovEquationMemo, not a TzoZezoEvaluator");
    ExpectRefused(R"({"class": "tzozezoevaluator"})", "not a TzoZezoEvaluator");
}

TEST(Form, UnknownPropertyIsRefused) {
    ExpectRefused(R"({"class": "TzoZezoEvaluator", "properties": {"OpenParenthesis": "["}})",
                  "TzoZezoEvaluator has no property \"OpenParenthesis\"");
}

TEST(Form, ValueOfTheWrongTypeIsRefused) {
    ExpectRefused(R"({"class": "TzoZezoEvaluator", "properties": {"Separator": 59}})",
                  "property \"Separator\" takes a string, not a number");
    ExpectRefused(R"({"class": "TzoZezoEvaluator", "properties": {"Separator": null}})",
                  "takes a string, not null");
    ExpectRefused(R"({"class": "TzoZezoEvaluator", "properties": {"Separator": true}})",
                  "takes a string, not a boolean");
}

TEST(Form, RefusedValueLeavesTheComponentUnchanged) {
    // DecimalPoint comes before Separator: it must not stay set when Separator is refused.
    ExpectRefused(
        R"({"class": "TzoZezoEvaluator", "name": "After",
            "properties": {"DecimalPoint": ",", "Separator": ";;"}})",
        "\"Separator\" takes exactly one character");
    ExpectRefused(R"({"class": "TzoZezoEvaluator", "properties": {"Imaginary": ""}})",
                  "\"Imaginary\" takes exactly one character");
    ExpectRefused(R"({"class": "TzoZezoEvaluator", "properties": {"Imaginary": "ï"}})",
                  "\"Imaginary\" takes exactly one character"); // two bytes of UTF-8
}

TEST(Form, ErrorsOfAFormNeverGetPastTheFirstRefusal) {
    // An unknown property after a valid one: nothing is set.
    ExpectRefused(
        R"({"class": "TzoZezoEvaluator", "properties": {"DecimalPoint": ",", "Nope": "x"}})",
        "no property \"Nope\"");
}

TEST(Form, TextThatIsNotUtf8CannotBeSaved) {
    TzoZezoEvaluator Evaluator;
    Evaluator.CloseComment = '\xA7';
    try {
        (void)SaveForm(Evaluator);
        FAIL() << "no exception";
    } catch (const Exception& E) {
        EXPECT_NE(E.Message().find("\"CloseComment\" holds bytes that are not UTF-8"),
                  std::string::npos)
            << E.Message();
    }
    Evaluator.CloseComment = '}';
    Evaluator.Name = "\xFF";
    EXPECT_THROW((void)SaveForm(Evaluator), Exception);
}

TEST(FormFile, RoundTrip) {
    TTempFile File("zozezo-form-roundtrip");
    TzoZezoEvaluator Source;
    Source.Name = "Evaluator1";
    Source.OpenComment = '#';
    SaveFormFile(Source, File.Path());

    std::ifstream In(File.Path());
    std::stringstream Text;
    Text << In.rdbuf();
    EXPECT_EQ(Text.str(), SaveForm(Source) + "\n");

    TzoZezoEvaluator Target;
    LoadFormFile(Target, File.Path());
    EXPECT_EQ(Target.Name, "Evaluator1");
    EXPECT_EQ(Target.OpenComment, '#');
}

TEST(FormFile, MissingFileIsReported) {
    TzoZezoEvaluator Evaluator;
    const auto Path = std::filesystem::temp_directory_path() / "zozezo-no-such-form.json";
    try {
        LoadFormFile(Evaluator, Path);
        FAIL() << "no exception";
    } catch (const Exception& E) {
        EXPECT_NE(E.Message().find(Path.string()), std::string::npos) << E.Message();
        EXPECT_NE(E.Message().find("cannot be read"), std::string::npos) << E.Message();
    }
}

TEST(FormFile, ErrorsNameTheFile) {
    TTempFile File("zozezo-form-bad");
    std::ofstream(File.Path()) << R"({"class": "TzoZezoEvaluator", "properties": {"Bad": "x"}})";
    TzoZezoEvaluator Evaluator;
    try {
        LoadFormFile(Evaluator, File.Path());
        FAIL() << "no exception";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "form file " + File.Path().string() +
                                   ": TzoZezoEvaluator has no property \"Bad\"");
    }
}

TEST(FormFile, UnwritablePathIsReported) {
    TzoZezoEvaluator Evaluator;
    const auto Path = std::filesystem::temp_directory_path() / "zozezo-no-such-folder" / "f.json";
    EXPECT_THROW(SaveFormFile(Evaluator, Path), Exception);
}

TEST(FormFile, FailedSaveKeepsTheOldFile) {
    TTempFile File("zozezo-form-keep");
    std::ofstream(File.Path()) << "old";
    TzoZezoEvaluator Evaluator;
    Evaluator.Separator = '\xFF';
    EXPECT_THROW(SaveFormFile(Evaluator, File.Path()), Exception);
    std::ifstream In(File.Path());
    std::string Content;
    std::getline(In, Content);
    EXPECT_EQ(Content, "old");
}
