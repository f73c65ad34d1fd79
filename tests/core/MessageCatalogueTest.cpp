#include "qelException.h"
#include "qelMessages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <utility>

namespace {

enum Table
{
    kError,
    kWarning,
    kInfo,
    kResult
};

struct ExpectedText
{
    Table table;
    int row;
    const char* text;
};

// Every text the catalogue lists, as it stands there.
const ExpectedText kListed[] = {
    {kError, 0, "E000: Reserved. Do not use"},
    {kError, 1, "E001: Unknown error."},
    {kError, 2, "E002: Unknown exception occured, leaving..."},
    {kError, 4, "E004: %s File %s not Found."},
    {kError, 5, "E005: Missing End Page Group SFI. File Name: %s"},
    {kError, 6, "E006: Missing End Document SFI. File Name: %s"},
    {kError, 7, "E007: Illegal reserved value. (at 0x%x)"},
    {kError, 8, "E008: AFP font representation object is null."},
    {kError, 9, "E009: Missing Mandatory Triplet. (at 0x%x)"},
    {kError, 10, "E010: Valid spool beginning not found. File Name: %s"},
    {kError, 11, "E011: Character metrics missing for %d degree rotation. CharsetName: %s."},
    {kError, 12, "E012: Lorbane is not built for %s %s."},
    {kError, 13, "E013: %s"},
    {kError, 14, "E014: Missing End Page SFI. File Name: %s"},
    {kError, 15, "E015: Missing End Overlay SFI. File Name: %s"},
    {kError, 16, "E016: \"%s\" compressed %s image mask is not supported."},
    {kError, 17, "E017: Message id %d define into ErrorCode enum structure, but Error message missing within achErrorMsg[]. Check code."},
    {kError, 18, "E018: \"%s\" compressed %s images is not supported."},
    {kError, 19, "E019: %d Bits/Pixel \"%s\" image is not supported"},
    {kError, 20, "E020: Unable to find any substitutable external font for %s%s%s%s%s%s"},
    {kError, 21, "E021: Java Exception occured while reading stream (%s). Msg:%s"},
    {kError, 22, "E022: Maximum Inline image count exceeds the limit(%d)"},
    {kError, 23, "E023: Input file (%s) not found."},
    {kError, 24, "E024: Invalid output format: %s"},
    {kError, 25, "E025: Insufficient memory - Unable to create display Device context."},
    {kError, 26, "E026: Insufficient memory - Unable to create Memory Device context."},
    {kError, 27, "E027: Insufficient memory while allocating Space for Bitmap data."},
    {kError, 28, "E028: Unable to create bitmap for a page (ErrorCode: %d, Msg:%s)"},
    {kError, 29, "E029: Could not install outline font to system. Characterset: %s CodePage: %s Reason: %s"},
    {kError, 30, "E030: Unable to read a TIFF header of %s (Bad TIFF)."},
    {kError, 31, "E031: Could not install external font to system. Font File: %s, Reason: %s"},
    {kError, 32, "E032: Input file (%s) is not a TIFF file."},
    {kError, 33, "E033: Unhandled/Unknown compression for image (%s, %s)"},
    {kError, 34, "E034: Color/Grayscale input image (%s, %s, %s) is not supported for %s output"},
    {kError, 35, "E035: Java Input Stream is null for %s"},
    {kError, 36, "E036: Java %s Method Handle is null for %s"},
    {kError, 37, "E037: Input stream does not support random access. Setoffset failed for stream %s."},
    {kError, 38, "E038: Unable to create bitmap for rasterization of AFP font %s. (ErrorCode: %d, Msg:%s)"},
    {kError, 39, "E039: Conversion of %s font to %s font not yet supported"},
    {kError, 40, "E040: Conversion of %s font to %s font failed. FontName: %s Reason: %s"},
    {kError, 44, "E044: Preview Failed for output file %s. (ErrorCode: %d, Msg: %s)"},
    {kError, 45, "E045: Image buffer is null or buffer length is zero"},
    {kError, 46, "E046: Lorbane could not recognize input format. Source: %s "},
    {kError, 47, "E047: User given input file format(%s) does not match with input file format(%s) auto detected by Lorbane. Source: %d"},
    {kError, 48, "E048: NOT USED"},
    {kError, 49, "E049: NOT USED"},
    {kError, 50, "E050: NOT USED"},
    {kError, 51, "E051: NOT USED"},
    {kError, 52, "E052: Error reading Repeated Triplets (at 0x%x)"},
    {kError, 53, "E053: NULL Mapcodedfont object in MCFTriplets()"},
    {kError, 54, "E054: Illegal Resource Type in MCF Resource Local Identifier Triplet (at 0x%x)"},
    {kError, 55, "E055: Illegal Local id value in MCF Resource Local Identifier Triplet (at 0x%x)"},
    {kError, 56, "E056: Error Illegal Page Overlay Type - 0x%x (at 0x%x)"},
    {kError, 57, "E057: Not Able to Get PDF Doc Handle. Exiting..."},
    {kError, 58, "E058: Resource (%s) not found"},
    {kError, 59, "E059: Null Data Buffer"},
    {kError, 60, "E060: NOT USED"},
    {kError, 61, "E061: Input Stream Open Failed"},
    {kError, 62, "E062: NOT USED"},
    {kError, 63, "E063: SFI data is null"},
    {kError, 64, "E064: NOT USED"},
    {kError, 65, "E065: [CHARSET] Section: Missing or Invalid Font Height\n\t\t (%s) \n      in \"mapping.def\" "},
    {kError, 66, "E066: NOT USED"},
    {kError, 67, "E067: Error Invalid InterchangeSetTriplet Id 0x%x (at 0x%x)"},
    {kError, 68, "E068: File read error"},
    {kError, 69, "E069: Error while writing %s file"},
    {kError, 70, "E070: Unable to move a file pointer to specified location. File Name: %s"},
    {kError, 71, "E071: NOT USED"},
    {kError, 72, "E072: File (%s) is empty."},
    {kError, 73, "E073: Unable to read data from the stream: File Name: %s, ErrorMsg: %s"},
    {kError, 74, "E074: SFI does not begin with 5A. %s Offset=0x%x."},
    {kError, 75, "E075: Unable to write data into the stream: File %s, ErrorMsg: %s"},
    {kError, 76, "E076: Not able to find a valid SFI within the 4 Kb of data. %s  Offset=0x%x"},
    {kError, 78, "E078: Unable to load a font (%s)."},
    {kError, 79, "E079: Unable to create a pixmap."},
    {kError, 80, "E080: Image stretching error."},
    {kError, 81, "E081: Out of memory error. Unable to write intermediate file (%s)\n"},
    {kError, 82, "E082: Error while writing intermediate file (%s)"},
    {kError, 83, "E083: Not used"},
    {kError, 84, "E084: Required Resource (%s) of Type (%s) not Found"},
    {kError, 85, "E085: X Window Error: %s"},
    {kError, 86, "E086: PDF Library Error: %s"},
    {kError, 87, "E087: LibTIFF Error: %s"},
    {kError, 88, "E088: Scripting Facility Error (rc=%d): %s"},
    {kError, 89, "E089: NOT USED"},
    {kError, 90, "E090: Image Library Error: %s"},
    {kError, 91, "E091: Output buffer of IOCA/IOB object (%s) is null"},
    {kError, 92, "E092: Unsupported image type %s for AFP Container Objects."},
    {kError, 93, "E093: Not used."},
    {kError, 94, "E094: AFP font representation object for Characterset %s is null."},
    {kError, 95, "E095: Used code point information is missing. CharacterSet: %s CodePage: %s"},
    {kError, 96, "E096: Error while creating type3 output font representation object for Characterset %s and Code Page %s."},
    {kError, 97, "E097: Type3 character bitmap array is null for CharacterSet %s and CodePage %s."},
    {kError, 98, "E098: Unable to open file (%s). Reason: %s"},
    {kError, 99, "E099: Invalid AFP file."},
    {kError, 100, "E100: Memory allocation error: %s"},
    {kError, 101, "E101: Invalid INI file path (%s)."},
    {kError, 102, "E102: Error while opening Statistics file(%s)."},
    {kError, 103, "E103: Invalid Output path (%s)."},
    {kError, 104, "E104: INI file (%s) not found in path list (%s)"},
    {kError, 105, "E105: [%s] section not found in the INI file (%s)."},
    {kError, 106, "E106: Type3 encoding stream is null for CharacterSet %s and CodePage %s."},
    {kError, 107, "E107: Missing or Invalid Spool File Type parameter"},
    {kError, 108, "E108: Missing Input File parameter"},
    {kError, 109, "E109: Invalid %s path (%s)"},
    {kError, 110, "E110: [%s] Section: %s phrase: Missing value"},
    {kError, 111, "E111: [%s] Section: %s phrase: Missing or invalid %s parameter"},
    {kError, 112, "E112: [%s] Section: Missing or Invalid Value\n\t\t (%s) \n      in \"mapping.def\" "},
    {kError, 113, "E113: [%s] Section: Duplicate value (%s) in \"mapping.def\""},
    {kError, 114, "E114: Error while setting font. CharsetName: %s Reason: %s"},
    {kError, 116, "E116: Invalid line data record format (%s)"},
    {kError, 118, "E118: Output font representation is null for CharacterSet=%s, CodePage=%s, OutputFontType=%s"},
    {kError, 119, "E119: Invalid Type1 PFM File %s"},
    {kError, 120, "E120: Error while parsing True Type font file %s. Reason: %s."},
    {kError, 121, "E121: Invalid GCSGID entry (%d)"},
    {kError, 122, "E122: Invalid entry in GCSGID Section of \"mapping.def\" (%s)"},
    {kError, 123, "E123: NOT USED"},
    {kError, 124, "E124: NOT USED"},
    {kError, 125, "E125: NOT USED"},
    {kError, 126, "E126: [%s] Section: Missing Page Descriptions"},
    {kError, 127, "E127: [DOCTYPE] Section: RULE phrase: Missing or invalid Line parameter"},
    {kError, 128, "E128: [DOCTYPE] Section: RULE phrase: Missing or invalid Column parameter"},
    {kError, 129, "E129: [DOCTYPE] Section: RULE phrase: Missing or invalid New Document Identifier parameter"},
    {kError, 130, "E130: [%s] Section: Missing RULES parameter"},
    {kError, 131, "E131: [FORMSOURCE] Section: Missing FieldId parameter"},
    {kError, 132, "E132: [FORMSOURCE] Section: Missing or invalid Line parameter"},
    {kError, 133, "E133: [FORMSOURCE] Section: Missing or invalid Column parameter"},
    {kError, 134, "E134: [FORMSOURCE] Section: Missing or invalid Length parameter"},
    {kError, 135, "E135: [%s] Section. Missing or Invalid Value"},
    {kError, 136, "E136: [FORMTYPE] Section: Missing Form name parameter"},
    {kError, 137, "E137: [FORMTYPE] Section: Missing Image name parameter"},
    {kError, 138, "E138: [FORMTYPE] Section: Missing or invalid Image XOffset parameter"},
    {kError, 139, "E139: [FORMTYPE] Section: Missing or invalid Image YOffset parameter"},
    {kError, 140, "E140: [FORMTYPE] Section: Missing or invalid Image Width parameter"},
    {kError, 141, "E141: [FORMTYPE] Section: Missing or invalid Image Height parameter"},
    {kError, 142, "E142: Key (%s) is NOT found in the [%s] Section, leaving ..."},
    {kError, 143, "E143: [FORMDEF] Section: Missing FieldId parameter"},
    {kError, 144, "E144: [FORMDEF] Section: Missing or invalid xStart parameter"},
    {kError, 145, "E145: [FORMDEF] Section: Missing or invalid yStart parameter"},
    {kError, 146, "E146: [FORMDEF] Section: Missing FontId parameter"},
    {kError, 147, "E147: [INDEXFIELDS] Section:  Missing FieldId parameter"},
    {kError, 148, "E148: [INDEXFIELDS] Section:  Missing or invalid StartPos parameter"},
    {kError, 149, "E149: [INDEXFIELDS] Section:  Missing or invalid Length parameter"},
    {kError, 150, "E150: [FONT] Section: Missing FontName parameter"},
    {kError, 151, "E151: [FONT] Section: Missing or invalid FontSize parameter"},
    {kError, 152, "E152: Error while importing PDFIMG File %s, (RC=%d), leaving..."},
    {kError, 153, "E153: Error while setting font %s, (RC=%d), leaving..."},
    {kError, 154, "E154: Not used"},
    {kError, 155, "E155: Error while opening the Index File (%s), leaving..."},
    {kError, 156, "E156: [SPOOLFILETYPE] Section: DEF phrase: Missing Value"},
    {kError, 157, "E157: [SPOOLFILETYPE] Section: INDEXRECORD phrase: Missing Value"},
    {kError, 158, "E158: File Pointer is null."},
    {kError, 160, "E160: NOT USED"},
    {kError, 161, "E161: NOT USED"},
    {kError, 162, "E162: NOT USED"},
    {kError, 163, "E163: NOT USED"},
    {kError, 164, "E164: NOT USED"},
    {kError, 165, "E165: NOT USED"},
    {kError, 166, "E166: NOT USED"},
    {kError, 167, "E167: Conversion from %s to %s is not supported"},
    {kError, 168, "E168: NOT USED."},
    {kError, 169, "E169: NOT USED."},
    {kError, 170, "E170: NOT USED."},
    {kError, 171, "E171: NOT USED."},
    {kError, 172, "E172: NOT USED."},
    {kError, 173, "E173: NOT USED."},
    {kError, 174, "E174: NOT USED."},
    {kError, 175, "E175: NOT USED."},
    {kError, 176, "E176: NOT USED."},
    {kError, 177, "E177: NOT USED."},
    {kError, 178, "E178: NOT USED."},
    {kError, 179, "E179: NOT USED."},
    {kError, 180, "E180: NOT USED."},
    {kError, 181, "E181: NOT USED."},
    {kError, 182, "E182: NOT USED."},
    {kError, 183, "E183: NOT USED."},
    {kError, 184, "E184: NOT USED."},
    {kError, 185, "E185: NOT USED."},
    {kError, 186, "E186: NOT USED."},
    {kError, 187, "E187: NOT USED."},
    {kError, 188, "E188: Negative value (%d) passed to allocate memory using new."},
    {kError, 189, "E189: Error %s."},
    {kError, 190, "E190: Internet Connection failed. Reason: %s"},
    {kError, 191, "E191: FTP Connection failed. Reason: %s"},
    {kError, 192, "E192: Unable to open FTP file %s. Reason: %s."},
    {kError, 193, "E193: Unable to read FTP file %s. Reason: %s."},
    {kError, 194, "E194: NOT USED."},
    {kError, 195, "E195: NOT USED."},
    {kError, 196, "E196: NOT USED."},
    {kError, 197, "E197: NOT USED."},
    {kError, 198, "E198: Null FTP Connection."},
    {kError, 199, "E199: Not Used."},
    {kError, 200, "E200: Null Input Buffer"},
    {kError, 201, "E201: AFP library Error: %s"},
    {kError, 202, "E202: NOT USED"},
    {kError, 203, "E203: NOT USED"},
    {kError, 204, "E204: NOT USED"},
    {kError, 205, "E205: NOT_USED"},
    {kError, 206, "E206: NOT USED"},
    {kError, 207, "E207: Output file name is null"},
    {kError, 208, "E208: Null DocList."},
    {kError, 209, "E209: Null FileList."},
    {kError, 210, "E210: NOT_USED."},
    {kError, 211, "E211: NOT_USED."},
    {kError, 212, "E212: NOT_USED."},
    {kError, 213, "E213: NOT_USED."},
    {kError, 214, "E214: NOT_USED."},
    {kError, 215, "E215: NOT_USED."},
    {kError, 216, "E216: NOT_USED."},
    {kError, 217, "E217: NOT_USED."},
    {kError, 218, "E218: NOT_USED."},
    {kError, 219, "E219: NOT_USED."},
    {kError, 220, "E220: NOT_USED"},
    {kError, 221, "E221: MQ Queue Error: %s."},
    {kError, 222, "E222: NOT USED."},
    {kError, 223, "E223: NOT USED."},
    {kError, 224, "E224: NOT USED."},
    {kError, 225, "E225: NOT USED."},
    {kError, 226, "E226: NOT USED."},
    {kError, 227, "E227: NOT USED."},
    {kError, 228, "E228: NOT USED."},
    {kError, 229, "E229: NOT USED."},
    {kError, 230, "E230: NOT_USED."},
    {kError, 231, "E231: libXPDF Error (rc=%d): %s at %s"},
    {kError, 232, "E232: Error while finding text width for Font:%s Text:%s Reason:%s"},
    {kError, 233, "E233: NOT_USED."},
    {kError, 234, "E234: NOT_USED."},
    {kError, 235, "E235: NOT_USED."},
    {kError, 236, "E236: NOT_USED"},
    {kError, 237, "E237: NOT USED."},
    {kWarning, 16, "W016: Missing mandatory value: %s."},
    {kWarning, 60, "W060: Invalid SFI. %s Offset=0x%X SF ID=X'D3%X'."},
    {kWarning, 62, "W062: Invalid Modca ID. %s Offset=0x%x."},
    {kWarning, 93, "W093: Insufficient Font Pattern data for GCGID %s for resource %s. Available Bytes: (%d) Required Bytes: (%d)."},
    {kWarning, 154, "W154: Invalid Index Path (%s)"},
    {kInfo, 0, "I000: Process completed."},
    {kInfo, 1, "I001: End of spool %s."},
    {kInfo, 2, "I002: Process completed. Unsupported objects occurred in input spool are ignored."},
    {kInfo, 22, "I022: User requested no. of pages parsed. Ignoring other pages"},
    {kInfo, 83, "I083: User requested no. of documents parsed. Ignoring other documents"},
    {kInfo, 199, "I199: Reading bytes beyond the bounds."},
    {kResult, 1, "RM01: Out Of Memory"},
    {kResult, 2, "RM02: File Not Found"},
    {kResult, 3, "RM03: Bad Or Corrupted File"},
    {kResult, 4, "RM04: Bad String"},
    {kResult, 5, "RM05: Bad Return"},
    {kResult, 6, "RM06: Can't Create File"},
    {kResult, 7, "RM07: Format Not Allowed"},
    {kResult, 8, "RM08: No Bitmap Found"},
    {kResult, 9, "RM09: Disk Full"},
    {kResult, 10, "RM10: Bad Display Area"},
    {kResult, 11, "RM11: Page Not Found"},
    {kResult, 12, "RM12: Disk Read Error"},
    {kResult, 13, "RM13: Bad Handle"},
    {kResult, 14, "RM14: No Clipboard Image"},
    {kResult, 15, "RM15: No Scanner Found"},
    {kResult, 16, "RM16: Error Opening Scanner"},
    {kResult, 17, "RM17: Can't Find TWAIN.DLL"},
    {kResult, 18, "RM18: User Cancel"},
    {kResult, 20, "RM20: Using RunTime Library"},
    {kResult, 21, "RM21: Pixel Depth Unsupported"},
    {kResult, 22, "RM22: Palette Images Not Allowed"},
    {kResult, 23, "RM23: LZW Not Supported In This Library"},
    {kResult, 24, "RM24: Undefined Error"},
    {kResult, 25, "RM25: format will not support on the fly decompression "},
    {kResult, 26, "RM26: no transparancy color information found"},
    {kResult, 27, "RM27: currently not supporting this compression format"},
    {kResult, 28, "RM28: no more pages ready in document feeder 2"},
    {kResult, 29, "RM29: no more pages ready in document feeder 2"},
    {kResult, 30, "RM30: couldn't find graphic extension block in .gif file"},
    {kResult, 31, "RM31: couldn't find .tif tag "},
    {kResult, 32, "RM32: not recognized as a .tiff tiled image"},
    {kResult, 33, "RM33: not supported in this version"},
    {kResult, 34, "RM34: autofeed failed"},
    {kResult, 35, "RM35: no fast twain supported"},
    {kResult, 36, "RM36: no pdf version"},
    {kResult, 37, "RM37: no abic version"},
    {kResult, 38, "RM38: Image library exception error"},
};

struct TableShape
{
    Table table;
    const char* const* rows;
    int count;
    const char* prefix;
    int digits;
};

const TableShape kTables[] = {
    {kError, achErrorMsg, QEL_ERROR_MSG_COUNT, "E", 3},
    {kWarning, achWarningMsg, QEL_WARNING_MSG_COUNT, "W", 3},
    {kInfo, achInfoMsg, QEL_INFO_MSG_COUNT, "I", 3},
    {kResult, achResultMsg, QEL_RESULT_MSG_COUNT, "RM", 2},
};

std::string codeOf(const TableShape& shape, int row)
{
    char code[16];
    std::snprintf(code, sizeof code, "%s%0*d", shape.prefix, shape.digits, row);
    return code;
}

// The text the lookups of the exception class give for a row.
const char* lookup(Table table, int row)
{
    return table == kResult ? qelException::getResultText(row) : qelException::getKindText(table, row);
}

// A row that only keeps its number free.
bool isPlaceholder(const char* text)
{
    static const std::regex placeholder("^[EWI][0-9]{3}: (NOT[ _]USED|Not [Uu]sed|Reserved\\. Do not use)\\.?$");
    return std::regex_match(text, placeholder);
}

} // namespace

TEST(MessageCatalogue, TablesHaveTheirSizes)
{
    EXPECT_EQ(QEL_ERROR_MSG_COUNT, 238);
    EXPECT_EQ(QEL_WARNING_MSG_COUNT, 155);
    EXPECT_EQ(QEL_INFO_MSG_COUNT, 200);
    EXPECT_EQ(QEL_RESULT_MSG_COUNT, 39);
}

TEST(MessageCatalogue, EveryRowCarriesItsOwnCodeAndListedTextsAreExact)
{
    std::map<std::pair<int, int>, const char*> listed;
    for (const ExpectedText& e : kListed)
        EXPECT_TRUE(listed.emplace(std::make_pair(int(e.table), e.row), e.text).second)
            << "row listed twice: " << e.text;

    for (const TableShape& shape : kTables) {
        for (int row = 0; row < shape.count; ++row) {
            const char* text = shape.rows[row];
            ASSERT_NE(text, nullptr);
            EXPECT_STREQ(lookup(shape.table, row), text);
            if (shape.table == kResult && row == 0) {
                EXPECT_STREQ(text, "");
                continue;
            }
            std::string code = codeOf(shape, row);
            EXPECT_EQ(std::string(text).rfind(code + ": ", 0), 0u) << text;
            auto it = listed.find(std::make_pair(int(shape.table), row));
            if (it != listed.end())
                EXPECT_STREQ(text, it->second);
            else
                EXPECT_EQ(std::string(text), code + ": NOT_USED");
        }
    }
}

TEST(MessageCatalogue, LookupsOutsideTheTables)
{
    const char* e017 = achErrorMsg[17];
    struct Case
    {
        Table table;
        int row;
        const char* expected;
    } cases[] = {
        {kError, QEL_ERROR_MSG_COUNT, e017},
        {kWarning, QEL_WARNING_MSG_COUNT, e017},
        {kInfo, QEL_INFO_MSG_COUNT, e017},
        {kError, -1, e017},
        {kResult, QEL_RESULT_MSG_COUNT, e017},
        {kResult, -1, e017},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(lookup(c.table, c.row), c.expected) << c.table << "/" << c.row;
    EXPECT_STREQ(qelException::getKindText(3, 0), "");
    EXPECT_STREQ(qelException::getKindText(-1, 0), "");
}

TEST(MessageCatalogue, EveryNamedIdNamesTheRowOfItsCode)
{
    std::ifstream header(LORBANE_SOURCE_DIR "/src/DataStructures/qelMessageIds.h");
    ASSERT_TRUE(header.good());
    const std::regex entry("^    ([EWI])([0-9]{3}) = ([0-9]+),$");
    std::set<std::pair<int, int>> named;
    std::string line;
    while (std::getline(header, line)) {
        std::smatch m;
        if (!std::regex_match(line, m, entry))
            continue;
        const TableShape& shape = kTables[std::string("EWI").find(m[1].str())];
        const int row = std::stoi(m[3].str());
        EXPECT_EQ(std::stoi(m[2].str()), row) << line;
        ASSERT_LT(row, shape.count) << line;
        const char* text = shape.rows[row];
        EXPECT_EQ(std::string(text).rfind(m[1].str() + m[2].str() + ": ", 0), 0u) << line << " -> " << text;
        EXPECT_FALSE(isPlaceholder(text)) << line << " -> " << text;
        EXPECT_TRUE(named.emplace(int(shape.table), row).second) << "named twice: " << line;
    }
    // Every message in use has its name: the header is up to date.
    for (const TableShape& shape : kTables) {
        if (shape.table == kResult)
            continue;
        for (int row = 0; row < shape.count; ++row) {
            if (!isPlaceholder(shape.rows[row])) {
                EXPECT_TRUE(named.count({int(shape.table), row})) << "no name for " << shape.rows[row];
            }
        }
    }
    // The names as the compiler sees them.
    EXPECT_STREQ(qelException::getKindText(QEL_MSG_ERROR, qelMsg::E017), achErrorMsg[17]);
    EXPECT_STREQ(qelException::getKindText(QEL_MSG_WARNING, qelMsg::W060), achWarningMsg[60]);
    EXPECT_STREQ(qelException::getKindText(QEL_MSG_INFO, qelMsg::I199), achInfoMsg[199]);
}
