// The container object: its type table, include search, files in the
// temporary folder, the conversions of FOP's native images for raster and
// PDF output (checked with the independent tools), the visitor base and
// the include parameters a reference hands to a container.
#include "NullVisitor.h"
#include "ObjectFieldData.h"
#include "ScratchTest.h"
#include "ShellCommand.h"
#include "qelContainerObject.h"
#include "qelGlobalDSPool.h"
#include "qelImageObject.h"
#include "qelImgInfo.h"
#include "qelImgProcessor.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLorbane.h"
#include "qelMessageIds.h"
#include "qelPtocaPage.h"
#include "qelResObjectContainer.h"
#include "qelResourceReference.h"
#include "qelTripletParser.h"

#include <gtest/gtest.h>

#include <tiffio.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using lrbtest::Bytes;

namespace {

std::string fop(const std::string& name) { return std::string(LORBANE_TEST_DATA) + "/fop/" + name; }

// The Object Container Data of the n-th container of an AFP file.
Bytes containerData(const std::string& path, int n) { return lrbtest::objectFieldData(path, {0xA892, 0xEE92, 0xA992}, n); }

unsigned char* newCopy(const Bytes& bytes)
{
    unsigned char* out = new unsigned char[bytes.size()];
    std::copy(bytes.begin(), bytes.end(), out);
    return out;
}

Bytes bytesOf(const unsigned char* data, int32_t length)
{
    return data && length > 0 ? Bytes(data, data + length) : Bytes();
}

// A one-strip (or rowsPerStrip-strip) TIFF of a stripe pattern; no
// resolution tags unless dpi is given.
Bytes makeTIFF(const std::string& path, int width, int height, int bits, int compression, int rowsPerStrip,
               int dpi = 0)
{
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        return {};
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits == 24 ? 8 : bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, bits == 24 ? 3 : 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, bits == 24 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    if (dpi > 0) {
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(dpi));
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(dpi));
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    }
    Bytes row(static_cast<size_t>(width * bits + 7) / 8);
    for (int y = 0; y < height; ++y) {
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = static_cast<unsigned char>((y / 4 + static_cast<int>(i)) % 3 == 0 ? 0xF0 : 0x00);
        TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0);
    }
    TIFFClose(tif);
    return lrbtest::readFile(path);
}

// Names of the files in a folder.
std::set<std::string> filesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// A kernel that is the running one for the life of the scope.
struct KernelScope
{
    KernelScope() { qelLorbane::setInstance(&kernel); }
    ~KernelScope() { qelLorbane::setInstance(nullptr); }
    qelLorbane kernel;
};

// A page whose include binding the test calls directly.
class BindingPage : public qelPtocaPage
{
public:
    using qelMedia::bindIncludedResources;
    using qelMedia::bindResourceReferences;
};

// Records which of the two container writes the visitor base chose.
class ContainerVisitor : public lrbtest::NullVisitor
{
public:
    explicit ContainerVisitor(const char* type) { setOutputType(type); }
    void writeObjectReference(qelContainerObject*) override { ++references; }
    void writeContainerData(qelContainerObject*) override { ++dataWrites; }
    int references = 0;
    int dataWrites = 0;
};

class ContainerObjectTest : public lrbtest::ScratchTest
{
protected:
    void SetUp() override
    {
        lrbtest::ScratchTest::SetUp();
        ini()->setTempPath(m_dir.c_str());
    }

    qelIni* ini() { return qelGlobalDSPool::getInstance()->getIni(); }

    void saveOnDisk() { ini()->setAttribute("SaveOCDataOnDisk", "On"); }

    // An inline container holding the bytes.
    std::unique_ptr<qelContainerObject> inlineContainer(const char* name, int type, const Bytes& data)
    {
        std::unique_ptr<qelContainerObject> c(new qelContainerObject());
        c->setDataFileName(name);
        c->setType(type);
        c->setInline(1);
        c->setData(newCopy(data), static_cast<int32_t>(data.size()));
        return c;
    }

    // FOP's n-th native container (1 JPEG, 2 G4 TIFF, 3 RGB TIFF).
    std::unique_ptr<qelContainerObject> fopContainer(int n)
    {
        static const int types[] = {0, qelContainerObject::TYPE_JPG, qelContainerObject::TYPE_TIF,
                                    qelContainerObject::TYPE_TIF};
        return inlineContainer("OC", types[n], containerData(fop("fop-images-native.afp"), n));
    }

    // The bytes a converted container holds, in memory or in its file.
    Bytes convertedBytes(const qelContainerObject& c)
    {
        if (c.isOnDisk())
            return lrbtest::readFile(c.getFilePath());
        return bytesOf(c.getConvertedData(), c.getConvertedLength());
    }
};

// ------------------------------------------------------------- type table

TEST_F(ContainerObjectTest, TypeTableNamesExtensionsAndFileNames)
{
    const struct
    {
        int code;
        const char* name;
        const char* fileName;
        bool raster;
    } cases[] = {
        {4, "EPS", "PIC.eps", false}, {5, "TIF", "PIC.tif", true},  {8, "DIB", "PIC.dib", true},
        {9, "DIB", "PIC.dib", true},  {10, "PCX", "PIC.pcx", true}, {12, "GIF", "PIC.gif", true},
        {13, "JPG", "PIC.jpg", true}, {17, "PCL", "PIC.pcl", false}, {29, "jp2", "PIC.jp2", true},
        {30, "PNG", "PIC.png", true}, {31, "BMP", "PIC.bmp", true}, {0, "Unknown", "PIC", false},
        {14, "Unknown", "PIC", false}, {-1, "Unknown", "PIC", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        qelContainerObject container;
        container.setDataFileName("PIC");
        container.setType(c.code);
        EXPECT_STREQ(qelContainerObject::getTypeName(c.code), c.name);
        EXPECT_STREQ(container.getTypeName(), c.name);
        EXPECT_EQ(container.getFileName(), c.fileName);
        EXPECT_EQ(container.isRasterType(), c.raster);
    }
    qelContainerObject unnamed;
    unnamed.setType(13);
    EXPECT_EQ(unnamed.getFileName(), "");
    EXPECT_EQ(unnamed.getName(), nullptr);
    EXPECT_EQ(unnamed.getMappingOption(), 0x20);
    EXPECT_EQ(unnamed.getTransparentIndex(), -1);
    EXPECT_EQ(unnamed.kind(), qelGraphicObject::KIND_CONTAINER);
}

TEST_F(ContainerObjectTest, EachContainerGetsItsOwnImageName)
{
    qelContainerObject a, b;
    a.setDataFileName("SAME");
    b.setDataFileName("SAME");
    ASSERT_NE(a.getImageName(), nullptr);
    ASSERT_NE(b.getImageName(), nullptr);
    EXPECT_STRNE(a.getImageName(), b.getImageName());
    EXPECT_EQ(std::string(a.getImageName()).rfind("Img", 0), 0u);
    EXPECT_EQ(std::string(a.getImageName()).size(), 13u);
}

// ------------------------------------------------------------ include search

TEST_F(ContainerObjectTest, IncludeFileFoundInResPathThenCurrentFolderElseE058)
{
    const Bytes jpeg = containerData(fop("fop-images-native.afp"), 1);
    const std::string resDir = m_dir + "/res", cwdDir = m_dir + "/cwd";
    ASSERT_EQ(::mkdir(resDir.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(cwdDir.c_str(), 0700), 0);
    ini()->setResPath((resDir + "/").c_str());
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(cwdDir);
    struct Back
    {
        std::filesystem::path to;
        ~Back() { std::filesystem::current_path(to); }
    } back{saved};

    // Nowhere: E058 names the file with its extension.
    qelContainerObject missing;
    missing.setDataFileName("LOGO");
    missing.setType(qelContainerObject::TYPE_JPG);
    lrbtest::Raised r = lrbtest::raised([&] { missing.loadData(); });
    EXPECT_EQ(r.id, qelMsg::E058);
    EXPECT_NE(r.message.find("LOGO.jpg"), std::string::npos) << r.message;

    // In the current folder only.
    writeFile("cwd/LOGO.jpg", jpeg);
    std::string path;
    EXPECT_TRUE(qelContainerObject::findIncludeFile("LOGO.jpg", path));
    EXPECT_EQ(path, "./LOGO.jpg");
    // Beside the AFP input before the current folder.
    const std::string inDir = m_dir + "/in";
    ASSERT_EQ(::mkdir(inDir.c_str(), 0700), 0);
    writeFile("in/LOGO.jpg", jpeg);
    KernelScope scope;
    scope.kernel.setInputName((inDir + "/doc.afp").c_str());
    ini()->setInputFormat("AFP");
    EXPECT_TRUE(qelContainerObject::findIncludeFile("LOGO.jpg", path));
    EXPECT_EQ(path, inDir + "/LOGO.jpg");
    // Not for another input format.
    ini()->setInputFormat("PDF");
    EXPECT_TRUE(qelContainerObject::findIncludeFile("LOGO.jpg", path));
    EXPECT_EQ(path, "./LOGO.jpg");
    ini()->setInputFormat("AFP");
    // ResPath comes first.
    writeFile("res/LOGO.jpg", jpeg);
    EXPECT_TRUE(qelContainerObject::findIncludeFile("LOGO.jpg", path));
    EXPECT_EQ(path, resDir + "/LOGO.jpg");

    qelContainerObject logo;
    logo.setDataFileName("LOGO");
    logo.setType(qelContainerObject::TYPE_JPG);
    logo.loadData();
    EXPECT_EQ(bytesOf(logo.getData(), logo.getDataLength()), jpeg);
    EXPECT_FALSE(logo.isOnDisk());

    // An untyped include takes its type from the image library.
    writeFile("res/ANY", jpeg);
    qelContainerObject any;
    any.setDataFileName("ANY");
    any.loadData();
    EXPECT_EQ(any.getType(), qelContainerObject::TYPE_JPG);
}

TEST_F(ContainerObjectTest, NameWithParentComponentIsRefusedWithE058)
{
    // A file that the name would reach from ResPath.
    const std::string resDir = m_dir + "/res";
    ASSERT_EQ(::mkdir(resDir.c_str(), 0700), 0);
    writeFile("LOGO.jpg", containerData(fop("fop-images-native.afp"), 1));
    ini()->setResPath((resDir + "/").c_str());
    for (const char* name : {"../LOGO.jpg", "a/../../LOGO.jpg", "..\\LOGO.jpg", ".."}) {
        SCOPED_TRACE(name);
        std::string path;
        EXPECT_EQ(lrbtest::raisedId([&] { qelContainerObject::findIncludeFile(name, path); }), qelMsg::E058);
    }
    qelContainerObject logo;
    logo.setDataFileName("../LOGO");
    logo.setType(qelContainerObject::TYPE_JPG);
    EXPECT_EQ(lrbtest::raisedId([&] { logo.loadData(); }), qelMsg::E058);
    EXPECT_EQ(logo.getData(), nullptr);
    // Dots inside a component are an ordinary name.
    std::string path;
    EXPECT_FALSE(qelContainerObject::findIncludeFile("..LOGO.jpg", path));
}

TEST_F(ContainerObjectTest, EmptyIncludeFileLeavesNoData)
{
    ini()->setResPath((m_dir + "/").c_str());
    writeFile("EMPTY.jpg", Bytes());
    qelContainerObject empty;
    empty.setDataFileName("EMPTY");
    empty.setType(qelContainerObject::TYPE_JPG);
    empty.loadData();
    EXPECT_EQ(empty.getData(), nullptr);
    EXPECT_EQ(empty.getDataLength(), 0);
    EXPECT_NE(output().find("Warning! Include object file("), std::string::npos);
}

// -------------------------------------------------------- temporary files

TEST_F(ContainerObjectTest, SavedFilesStayInsideTempPathOneEachAndGoWithTheirContainer)
{
    saveOnDisk();
    const std::string parent = m_dir;
    m_dir += "/tmp";
    ASSERT_EQ(::mkdir(m_dir.c_str(), 0700), 0);
    ini()->setTempPath(m_dir.c_str());
    const Bytes data = containerData(fop("fop-images-native.afp"), 2);
    // A file already there under a name the containers may choose.
    std::unique_ptr<qelContainerObject> escaping = inlineContainer("../x", qelContainerObject::TYPE_TIF, data);
    std::unique_ptr<qelContainerObject> first = inlineContainer("C1", qelContainerObject::TYPE_TIF, data);
    std::unique_ptr<qelContainerObject> second = inlineContainer("C1", qelContainerObject::TYPE_TIF, data);
    const Bytes foreign = {1, 2, 3};
    writeFile(second->getImageName(), foreign);

    for (qelContainerObject* c : {escaping.get(), first.get(), second.get()}) {
        ASSERT_TRUE(c->saveData());
        EXPECT_TRUE(c->isOnDisk());
        EXPECT_EQ(c->getData(), nullptr);
        const std::filesystem::path file(c->getFilePath());
        EXPECT_EQ(std::filesystem::canonical(file.parent_path()), std::filesystem::canonical(m_dir));
        EXPECT_EQ(lrbtest::readFile(c->getFilePath()), data);
    }
    std::set<std::string> paths = {escaping->getFilePath(), first->getFilePath(), second->getFilePath()};
    EXPECT_EQ(paths.size(), 3u);
    // The file that was there is left alone.
    EXPECT_EQ(lrbtest::readFile(m_dir + "/" + second->getImageName()), foreign);
    EXPECT_FALSE(std::filesystem::exists(parent + "/x"));

    const std::string firstPath = first->getFilePath();
    first.reset();
    EXPECT_FALSE(std::filesystem::exists(firstPath));
    EXPECT_TRUE(std::filesystem::exists(second->getFilePath()));
    const std::string taken = second->getImageName();
    escaping.reset();
    second.reset();
    EXPECT_EQ(filesIn(m_dir), std::set<std::string>{taken});
}

TEST_F(ContainerObjectTest, FailedSaveKeepsTheDataInMemory)
{
    saveOnDisk();
    ini()->setTempPath((m_dir + "/missing/").c_str());
    const Bytes data = containerData(fop("fop-images-native.afp"), 1);
    std::unique_ptr<qelContainerObject> c = inlineContainer("C1", qelContainerObject::TYPE_JPG, data);
    EXPECT_FALSE(c->saveData());
    EXPECT_FALSE(c->isOnDisk());
    EXPECT_EQ(bytesOf(c->getData(), c->getDataLength()), data);
    EXPECT_NE(output().find("Warning! Cannot open file - "), std::string::npos);

    // The visitor base then converts from memory and still writes it.
    ContainerVisitor visitor("pdf");
    ini()->setColor(true);
    visitor.writeContainerObject(c.get());
    EXPECT_EQ(visitor.dataWrites, 1);
    EXPECT_EQ(bytesOf(c->getConvertedData(), c->getConvertedLength()), data);
}

TEST_F(ContainerObjectTest, SavedInlineTIFFIsOverwrittenWithItsConversionAndDeleted)
{
    saveOnDisk();
    std::unique_ptr<qelContainerObject> c = fopContainer(3);
    ASSERT_TRUE(c->saveData());
    const std::string path = c->getFilePath();
    EXPECT_FALSE(c->getDeleteFlag());
    c->decodeForRaster();
    EXPECT_EQ(c->getFilePath(), std::string(path));
    EXPECT_TRUE(c->getDeleteFlag());
    EXPECT_EQ(lrbtest::readFile(path).size(), 200u * 100u * 3u);
    EXPECT_EQ(filesIn(m_dir).size(), 1u);
    c.reset();
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(ContainerObjectTest, IncludeFileOnDiskKeepsItsSourceAndGetsAConvertedCopy)
{
    saveOnDisk();
    const std::string resDir = m_dir + "/res", tmpDir = m_dir + "/tmp";
    ASSERT_EQ(::mkdir(resDir.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(tmpDir.c_str(), 0700), 0);
    ini()->setResPath((resDir + "/").c_str());
    ini()->setTempPath((tmpDir + "/").c_str());
    const Bytes tiff = containerData(fop("fop-images-native.afp"), 3);
    writeFile("res/PIC", tiff);
    {
        qelContainerObject pic;
        pic.setDataFileName("PIC");
        pic.loadData();
        EXPECT_TRUE(pic.isOnDisk());
        EXPECT_EQ(pic.getType(), qelContainerObject::TYPE_TIF);
        EXPECT_EQ(pic.getData(), nullptr);
        ini()->setColor(true);
        pic.convertForPDF();
        ASSERT_NE(pic.getConvertedInfo(), nullptr);
        EXPECT_EQ(std::filesystem::path(pic.getFilePath()).parent_path(), std::filesystem::path(tmpDir));
        EXPECT_EQ(std::filesystem::path(pic.getFilePath()).filename(), pic.getImageName());
        EXPECT_EQ(lrbtest::readFile(resDir + "/PIC"), tiff);
        EXPECT_EQ(filesIn(tmpDir).size(), 1u);
    }
    EXPECT_TRUE(filesIn(tmpDir).empty());
    EXPECT_EQ(lrbtest::readFile(resDir + "/PIC"), tiff);

    // No room for the copy: the result stays in memory and counts.
    ini()->setTempPath((m_dir + "/missing/").c_str());
    qelContainerObject pic;
    pic.setDataFileName("PIC");
    pic.loadData();
    pic.decodeForRaster();
    ASSERT_NE(pic.getConvertedInfo(), nullptr);
    EXPECT_FALSE(pic.isOnDisk());
    EXPECT_EQ(pic.getConvertedLength(), 200 * 100 * 3);
    EXPECT_EQ(lrbtest::readFile(resDir + "/PIC"), tiff);
}

// ------------------------------------------------------------- conversions

TEST_F(ContainerObjectTest, FopNativeImagesForPDFMatchTheReference)
{
    if (!lrbtest::haveCommand("pdfimages") || !lrbtest::haveCommand("djpeg"))
        GTEST_SKIP() << "pdfimages or djpeg missing";
    const std::string prefix = m_dir + "/ref";
    lrbtest::commandOutput("pdfimages -all " + lrbtest::shellQuote(fop("fop-images-native.ref.pdf")) + " " +
                           lrbtest::shellQuote(prefix));
    ini()->setColor(true);

    std::unique_ptr<qelContainerObject> jpeg = fopContainer(1);
    jpeg->convertForPDF();
    ASSERT_NE(jpeg->getConvertedInfo(), nullptr);
    EXPECT_EQ(convertedBytes(*jpeg), lrbtest::readFile(prefix + "-000.jpg"));

    std::unique_ptr<qelContainerObject> g4 = fopContainer(2);
    g4->convertForPDF();
    ASSERT_NE(g4->getConvertedInfo(), nullptr);
    EXPECT_EQ(g4->getConvertedInfo()->compression, 3);
    EXPECT_EQ(convertedBytes(*g4), lrbtest::readFile(prefix + "-001.ccitt"));

    std::unique_ptr<qelContainerObject> rgb = fopContainer(3);
    rgb->convertForPDF();
    ASSERT_NE(rgb->getConvertedInfo(), nullptr);
    EXPECT_EQ(rgb->getConvertedInfo()->compression, 9);
    EXPECT_EQ(rgb->getConvertedInfo()->bitsPerPixel, 24);
    const std::string out = writeFile("rgb.jpg", convertedBytes(*rgb));
    const std::string header = lrbtest::commandOutput("djpeg -pnm " + lrbtest::shellQuote(out) + " | head -c 15");
    EXPECT_EQ(header.substr(0, 11), "P6\n200 100\n");
    // No area was given: the converted size becomes it.
    EXPECT_EQ(rgb->getAreaWidth(), 200);
    EXPECT_EQ(rgb->getAreaHeight(), 100);
}

TEST_F(ContainerObjectTest, FopNativeImagesForRasterAreUncompressedBitmaps)
{
    const struct
    {
        int n;
        int width, height, bits;
    } cases[] = {{1, 320, 200, 24}, {2, 300, 150, 1}, {3, 200, 100, 24}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n);
        std::unique_ptr<qelContainerObject> container = fopContainer(c.n);
        container->decodeForRaster();
        const qelImgInfo* info = container->getConvertedInfo();
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->compression, 0);
        EXPECT_EQ(info->width, c.width);
        EXPECT_EQ(info->height, c.height);
        EXPECT_EQ(info->bitsPerPixel, c.bits);
        EXPECT_EQ(container->getConvertedLength(), (c.width * c.bits + 7) / 8 * c.height);
        ASSERT_NE(container->getSourceInfo(), nullptr);
        EXPECT_GT(container->getSourceInfo()->xResolution, 0);
    }
}

TEST_F(ContainerObjectTest, TIFFWithoutResolutionTagsTakesTheObjectResolution)
{
    const Bytes tiff = containerData(fop("fop-images-native.afp"), 2);
    std::unique_ptr<qelContainerObject> withArea = inlineContainer("A", qelContainerObject::TYPE_TIF, tiff);
    withArea->setResolution(300);
    ASSERT_NE(withArea->getImage(), nullptr);
    EXPECT_EQ(withArea->getImage()->xResolution, 300);

    std::unique_ptr<qelContainerObject> bare = inlineContainer("B", qelContainerObject::TYPE_TIF, tiff);
    ASSERT_NE(bare->getImage(), nullptr);
    EXPECT_EQ(bare->getImage()->xResolution, static_cast<int>(qelImgProcessor::getDefaultResolution()));
    // The library default is untouched afterwards.
    withArea->decodeForRaster();
    EXPECT_EQ(bare->getImage()->xResolution, static_cast<int>(qelImgProcessor::getDefaultResolution()));
}

TEST_F(ContainerObjectTest, JPEGKeptUnlessAQualityIsGivenOrColourIsOff)
{
    const Bytes jpeg = containerData(fop("fop-images-native.afp"), 1);
    ini()->setColor(true);
    std::unique_ptr<qelContainerObject> kept = inlineContainer("J", qelContainerObject::TYPE_JPG, jpeg);
    kept->convertForPDF();
    EXPECT_EQ(bytesOf(kept->getConvertedData(), kept->getConvertedLength()), jpeg);

    ini()->setJPEGQuality(30);
    std::unique_ptr<qelContainerObject> again = inlineContainer("J", qelContainerObject::TYPE_JPG, jpeg);
    again->convertForPDF();
    ASSERT_NE(again->getConvertedInfo(), nullptr);
    EXPECT_NE(bytesOf(again->getConvertedData(), again->getConvertedLength()), jpeg);
    EXPECT_EQ(again->getConvertedInfo()->bitsPerPixel, 24);

    ini()->setColor(false);
    std::unique_ptr<qelContainerObject> gray = inlineContainer("J", qelContainerObject::TYPE_JPG, jpeg);
    gray->convertForPDF();
    ASSERT_NE(gray->getConvertedInfo(), nullptr);
    EXPECT_EQ(gray->getConvertedInfo()->bitsPerPixel, 8);
    EXPECT_EQ(gray->getConvertedInfo()->samplesPerPixel, 1);
}

TEST_F(ContainerObjectTest, BilevelTIFFBecomesG4UnlessFlateAndOnePiece)
{
    ini()->setColor(true);
    const struct
    {
        int rowsPerStrip;
        bool flate;
        int compression;
    } cases[] = {{64, false, 3}, {64, true, 0}, {16, true, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rowsPerStrip);
        ini()->setPKEY(c.flate ? "ENC_FLATE" : nullptr);
        const Bytes tiff = makeTIFF(m_dir + "/bw.tif", 64, 64, 1, COMPRESSION_NONE, c.rowsPerStrip);
        std::unique_ptr<qelContainerObject> container = inlineContainer("BW", qelContainerObject::TYPE_TIF, tiff);
        container->convertForPDF();
        ASSERT_NE(container->getConvertedInfo(), nullptr);
        EXPECT_EQ(container->getConvertedInfo()->compression, c.compression);
        if (c.compression == 0) {
            EXPECT_EQ(container->getConvertedLength(), 8 * 64);
        }
    }
}

TEST_F(ContainerObjectTest, G4InSeveralStripsIsEncodedAgain)
{
    // The pass count is the strip count: stored strips joined are no image.
    ini()->setColor(true);
    const Bytes tiff = makeTIFF(m_dir + "/g4.tif", 64, 64, 1, COMPRESSION_CCITTFAX4, 16);
    std::unique_ptr<qelContainerObject> container = inlineContainer("G4", qelContainerObject::TYPE_TIF, tiff);
    ASSERT_EQ(container->getImage()->stripCount, 4);
    container->convertForPDF();
    ASSERT_NE(container->getConvertedInfo(), nullptr);
    EXPECT_EQ(container->getConvertedInfo()->compression, 3);
    // One G4 stream of the whole page decodes to the same pixels.
    std::unique_ptr<qelContainerObject> back = inlineContainer("G4", qelContainerObject::TYPE_TIF, tiff);
    back->decodeForRaster();
    TIFF* tif = TIFFOpen((m_dir + "/one.tif").c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 64);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 64);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 64);
    TIFFWriteRawStrip(tif, 0, container->getConvertedData(), container->getConvertedLength());
    TIFFClose(tif);
    tif = TIFFOpen((m_dir + "/one.tif").c_str(), "r");
    ASSERT_NE(tif, nullptr);
    Bytes pixels(8 * 64);
    for (uint32_t y = 0; y < 64; ++y)
        ASSERT_EQ(TIFFReadScanline(tif, pixels.data() + 8 * y, y, 0), 1);
    TIFFClose(tif);
    const Bytes decoded = bytesOf(back->getConvertedData(), back->getConvertedLength());
    ASSERT_EQ(decoded.size(), pixels.size());
    // Same picture, whichever way the bitmap counts black.
    const bool same = decoded == pixels;
    Bytes inverted(pixels);
    for (unsigned char& b : inverted)
        b = static_cast<unsigned char>(~b);
    EXPECT_TRUE(same || decoded == inverted);
}

TEST_F(ContainerObjectTest, JpegTwoAndHeaderlessDataAreKeptButRaiseE092)
{
    const Bytes jp2 = {0x00, 0x00, 0x00, 0x0C, 0x6A, 0x50, 0x20, 0x20, 0x0D, 0x0A, 0x87, 0x0A,
                       0x00, 0x00, 0x00, 0x14, 0x66, 0x74, 0x79, 0x70, 0x6A, 0x70, 0x32, 0x20};
    Bytes dib(40 + 8 + 4 * 4, 0);
    dib[0] = 40;
    dib[4] = 4;   // width
    dib[8] = 4;   // height
    dib[12] = 1;  // planes
    dib[14] = 1;  // bits
    const struct
    {
        const char* what;
        int type;
        const Bytes* data;
    } cases[] = {{"jp2", qelContainerObject::TYPE_JP2, &jp2}, {"dib", qelContainerObject::TYPE_DIB, &dib}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<qelContainerObject> container = inlineContainer("X", c.type, *c.data);
        const lrbtest::Raised raster = lrbtest::raised([&] { container->decodeForRaster(); });
        const lrbtest::Raised pdf = lrbtest::raised([&] { container->convertForPDF(); });
        for (const lrbtest::Raised* r : {&raster, &pdf}) {
            EXPECT_EQ(r->id, qelMsg::E092) << r->message;
            if (r->id == qelMsg::E092) {
                EXPECT_NE(r->message.find("Unsupported image type  for"), std::string::npos) << r->message;
            }
        }
        EXPECT_EQ(bytesOf(container->getData(), container->getDataLength()), *c.data);
        EXPECT_EQ(container->getConvertedInfo(), nullptr);
    }
}

TEST_F(ContainerObjectTest, PositionAndTrimCutsOnlyWhatPassesTheArea)
{
    ini()->setColor(true);
    // 200 x 100 pels at 72 dpi in an area of 1 x 1 inch at 1440 units, or
    // in one that holds it.
    const struct
    {
        int areaWidth, areaHeight;
        bool trimmed;
    } cases[] = {{1440, 1440, true}, {4000, 2000, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.areaWidth);
        const Bytes tiff = makeTIFF(m_dir + "/rgb.tif", 200, 100, 24, COMPRESSION_NONE, 100, 72);
        std::unique_ptr<qelContainerObject> container = inlineContainer("T", qelContainerObject::TYPE_TIF, tiff);
        container->setResolution(1440);
        container->setAreaSize(c.areaWidth, c.areaHeight);
        container->setMappingOption(0x10);
        int w = -1, h = -1;
        container->getPlacement(&w, &h);
        container->convertForPDF();
        if (!c.trimmed) {
            EXPECT_EQ(w, 0);
            EXPECT_EQ(h, 0);
            EXPECT_EQ(container->getTrimmedData(), nullptr);
            continue;
        }
        EXPECT_EQ(w, 72);
        EXPECT_EQ(h, 72);
        ASSERT_NE(container->getTrimmedInfo(), nullptr);
        EXPECT_EQ(container->getTrimmedInfo()->width, w);
        EXPECT_EQ(container->getTrimmedInfo()->height, h);
        EXPECT_EQ(container->getTrimmedLength(), w * 3 * h);
        // Converted before: only trimmed again, with the same result.
        EXPECT_EQ(container->clipToArea(nullptr), 1);
    }
}

// -------------------------------------------------------------- visitor base

TEST_F(ContainerObjectTest, VisitorBaseChoosesTheWriteAndWarnsForOtherTypes)
{
    ini()->setColor(true);
    const Bytes jpeg = containerData(fop("fop-images-native.afp"), 1);
    {
        ContainerVisitor visitor("pdf");
        std::unique_ptr<qelContainerObject> c = inlineContainer("J", qelContainerObject::TYPE_JPG, jpeg);
        c->write(&visitor);
        EXPECT_EQ(visitor.references, 1);
        EXPECT_EQ(visitor.dataWrites, 0);
        EXPECT_NE(c->getConvertedInfo(), nullptr);
    }
    {
        // Text output leaves the container as it is.
        ContainerVisitor visitor("txt");
        std::unique_ptr<qelContainerObject> c = inlineContainer("J", qelContainerObject::TYPE_JPG, jpeg);
        c->write(&visitor);
        EXPECT_EQ(visitor.references, 1);
        EXPECT_EQ(c->getConvertedInfo(), nullptr);
    }
    {
        ContainerVisitor visitor("pdf");
        std::unique_ptr<qelContainerObject> eps = inlineContainer("E", qelContainerObject::TYPE_EPS, {'%', '!'});
        eps->write(&visitor);
        EXPECT_EQ(visitor.references + visitor.dataWrites, 0);
        EXPECT_EQ(eps->getConvertedInfo(), nullptr);
        EXPECT_NE(output().find("Warning! Object Container Data is not a supported Image Format. Cannot process."),
                  std::string::npos);
    }
    {
        // On disk: saved first (a file deleted with the container even
        // though text output converts nothing), then the data write.
        saveOnDisk();
        ContainerVisitor visitor("txt");
        std::unique_ptr<qelContainerObject> c = inlineContainer("J", qelContainerObject::TYPE_JPG, jpeg);
        visitor.writeContainerObject(c.get());
        EXPECT_EQ(visitor.dataWrites, 1);
        EXPECT_TRUE(c->isOnDisk());
        EXPECT_FALSE(c->getDeleteFlag());
        const std::string path = c->getFilePath();
        EXPECT_EQ(lrbtest::readFile(path), jpeg);
        c.reset();
        EXPECT_FALSE(std::filesystem::exists(path));
    }
}

// ---------------------------------------------------------- include steps

TEST_F(ContainerObjectTest, ReferenceHandsItsParametersToTheContainerAndTheImage)
{
    qelResObjectContainer resource("O1CONT");
    auto* container = new qelContainerObject();
    container->setType(qelContainerObject::TYPE_TIF);
    container->setAreaSize(10, 20);
    resource.addObject(container);
    resource.setScriptCreated();

    qelResourceReference ref("O1CONT", qelRes::TYPE_OBJECT_CONTAINER, 0, 0);
    ref.setResource(&resource);
    ref.setObjectType(qelContainerObject::TYPE_JPG);
    ref.setObjectArea(300, 400);
    ref.setMappingOption(0x10);
    ref.setXContentOffset(static_cast<uint16_t>(-5));
    ref.setYContentOffset(7);
    ref.setReferenceCoordinateSystem(1);
    ref.setXUnitBase(1);
    ref.setYUnitBase(1);
    ref.setXUnitsPerBase(2400);
    ref.setYUnitsPerBase(2400);
    ref.applyToResource();
    EXPECT_EQ(container->getType(), qelContainerObject::TYPE_JPG);
    EXPECT_EQ(container->getAreaWidth(), 300);
    EXPECT_EQ(container->getAreaHeight(), 400);
    EXPECT_EQ(container->getMappingOption(), 0x10);
    EXPECT_EQ(container->getContentOffsetX(), -5);
    EXPECT_EQ(container->getContentOriginY(), 7);
    EXPECT_EQ(container->getReferenceSystem(), 1);
    EXPECT_EQ(container->getXUnitBase(), 1);
    EXPECT_EQ(container->getYUnitsPerBase(), 2400);
    EXPECT_EQ(container->getCreatedByScript(), 1);

    // Values the reference does not give leave the container's own.
    qelResourceReference bare("O1CONT", qelRes::TYPE_OBJECT_CONTAINER, 0, 0);
    bare.setResource(&resource);
    bare.setObjectArea(50, 0);
    bare.applyToResource();
    EXPECT_EQ(container->getType(), qelContainerObject::TYPE_JPG);
    EXPECT_EQ(container->getAreaWidth(), 300);
    EXPECT_EQ(container->getMappingOption(), 0x10);

    qelResObjectContainer images("O2CONT");
    auto* image = new qelImageObject();
    images.addObject(image);
    qelResourceReference imageRef("O2CONT", qelRes::TYPE_OBJECT_CONTAINER, 0, 0);
    imageRef.setResource(&images);
    imageRef.setMappingOption(0x30);
    imageRef.setReferenceCoordinateSystem(0);
    imageRef.applyToResource();
    EXPECT_EQ(image->getMappingOption(), 0x30);
    EXPECT_EQ(image->getReferenceSystem(), 0);
}

TEST_F(ContainerObjectTest, IncludedContainerRaisesThePageBitsPerPixel)
{
    auto* resource = new qelResObjectContainer("O1CONT");
    resource->raiseMaxBitsPerPixel(24);
    auto* container = new qelContainerObject();
    container->setType(qelContainerObject::TYPE_PNG);
    resource->addObject(container);
    std::unique_ptr<qelResObjectContainer> owned(resource);

    BindingPage page;
    auto* ref = new qelResourceReference("O1CONT", qelRes::TYPE_OBJECT_CONTAINER, 0, 0);
    ref->setResource(resource);
    page.addResourceReference(ref);
    page.bindResourceReferences();
    EXPECT_EQ(page.getMaxBitsPerPixel(), 24);

    // An added include takes the container's object type.
    qelList added;
    auto* addedRef = new qelResourceReference("O1CONT", qelRes::TYPE_OBJECT_CONTAINER, 0, 0);
    addedRef->setResource(resource);
    added.append(addedRef);
    page.bindIncludedResources(&added, true);
    EXPECT_EQ(addedRef->getObjectType(), qelContainerObject::TYPE_PNG);
    delete addedRef;
}

TEST_F(ContainerObjectTest, UnresolvedContainerReferenceHandsItsTypeToTheTripletReader)
{
    // The container reader takes the type of a plain data file from the
    // shared triplet reader when the resource list asks it.
    ini()->setResPath((m_dir + "/").c_str());
    qelTripletParser* triplets = qelGlobalDSPool::getInstance()->getTripletParser();
    ASSERT_NE(triplets, nullptr);
    triplets->setObjectTypeCode(0);
    BindingPage page;
    auto* ref = new qelResourceReference("NOWHERE", qelRes::TYPE_OBJECT_CONTAINER, 0, 0);
    ref->setObjectType(qelContainerObject::TYPE_GIF);
    page.addResourceReference(ref);
    page.bindResourceReferences();
    // The file is missing: a placeholder marked not found, as for overlays.
    ASSERT_NE(ref->getResource(), nullptr);
    EXPECT_EQ(ref->getResource()->getFound(), 0);
    EXPECT_EQ(qelGlobalDSPool::getInstance()->getTripletParser()->getObjectTypeCode(),
              qelContainerObject::TYPE_GIF);
}

} // namespace
