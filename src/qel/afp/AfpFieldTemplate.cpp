#include "qel/afp/AfpFieldTemplate.h"

#include <iterator>

namespace qel
{
namespace afp
{

namespace
{

// Default data of the templates, as runs of equal bytes.
const FieldTemplate::Run kD3A8A8[] = {{8, 0x40}, {2, 0x00}};
const FieldTemplate::Run kD3A9A8[] = {{8, 0x40}};
const FieldTemplate::Run kD3B18A[] = {{4, 0x00}};
const FieldTemplate::Run kD3B19B[] = {{14, 0x00}};
const FieldTemplate::Run kD3A6AF[] = {{2, 0x00}, {1, 0x38}, {1, 0x40}, {1, 0x38}, {1, 0x40}, {1, 0x00}, {1, 0x2E}, {1, 0x82}, {1, 0x00}, {1, 0x41}, {1, 0xC6}, {3, 0x00}};
const FieldTemplate::Run kD3A8AF[] = {{8, 0x40}};
const FieldTemplate::Run kD3A9AF[] = {{8, 0x40}};
const FieldTemplate::Run kD3A88A[] = {{8, 0x40}};
const FieldTemplate::Run kD3A78A[] = {{1, 0x19}, {1, 0x01}};
const FieldTemplate::Run kD3A98A[] = {{8, 0x40}};
const FieldTemplate::Run kD3A887[] = {{8, 0x40}};
const FieldTemplate::Run kD3A787[] = {{8, 0x40}, {5, 0x00}};
const FieldTemplate::Run kD3A687[] = {{33, 0x00}, {1, 0x08}, {8, 0x00}};
const FieldTemplate::Run kD3A987[] = {{8, 0x40}};
const FieldTemplate::Run kD3A889[] = {{8, 0x40}};
const FieldTemplate::Run kD3A789[] = {{14, 0x00}, {1, 0x1A}, {5, 0x00}, {1, 0x16}, {7, 0x00}};
const FieldTemplate::Run kD3A689[] = {{80, 0x00}};
const FieldTemplate::Run kD3AB89[] = {{1, 0x02}, {1, 0x00}};
const FieldTemplate::Run kD3A989[] = {{8, 0x40}};
const FieldTemplate::Run kD3EE9B[] = {{1, 0x2B}, {1, 0xD3}};
const FieldTemplate::Run kD3A8AD[] = {{8, 0x40}};
const FieldTemplate::Run kD3A9AD[] = {{8, 0x40}};
const FieldTemplate::Run kD3AFD8[] = {{8, 0x40}, {8, 0x00}};
const FieldTemplate::Run kD3AF5F[] = {{8, 0x40}, {6, 0x00}};
const FieldTemplate::Run kD3ABCC[] = {{8, 0x00}};
const FieldTemplate::Run kD3A8A7[] = {{8, 0x40}};
const FieldTemplate::Run kD3A9A7[] = {{8, 0x40}};
const FieldTemplate::Run kD3AFC3[] = {{8, 0x40}, {19, 0x00}};
const FieldTemplate::Run kD3A8FB[] = {{8, 0x40}};
const FieldTemplate::Run kD3A9FB[] = {{8, 0x40}};
const FieldTemplate::Run kD3A87B[] = {{8, 0x40}};
const FieldTemplate::Run kD3A97B[] = {{8, 0x40}};
const FieldTemplate::Run kD3AC6B[] = {{1, 0x00}};
const FieldTemplate::Run kD3A6FB[] = {{9, 0x00}};
const FieldTemplate::Run kD3A77B[] = {{22, 0x00}, {2, 0xFF}};
const FieldTemplate::Run kD3A67B[] = {{2, 0x00}, {1, 0x09}, {1, 0x60}, {1, 0x09}, {1, 0x60}, {20, 0x00}, {1, 0x2D}, {6, 0x00}, {1, 0x01}, {2, 0x00}};
const FieldTemplate::Run kD3AC7B[] = {{12, 0x00}};
const FieldTemplate::Run kD3A8EB[] = {{8, 0x40}};
const FieldTemplate::Run kD3A9EB[] = {{8, 0x40}};
const FieldTemplate::Run kD3A8BB[] = {{8, 0x40}};
const FieldTemplate::Run kD3A9BB[] = {{8, 0x40}};
const FieldTemplate::Run kD3A8C6[] = {{8, 0x40}};
const FieldTemplate::Run kD3A9C6[] = {{8, 0x40}};
const FieldTemplate::Run kD3A8CE[] = {{8, 0x40}, {2, 0x00}};
const FieldTemplate::Run kD3A9CE[] = {{8, 0x40}};
const FieldTemplate::Run kD3A85F[] = {{8, 0x40}};
const FieldTemplate::Run kD3A95F[] = {{8, 0x40}};
const FieldTemplate::Run kD3A8CB[] = {{8, 0x40}};
const FieldTemplate::Run kD3A7CA[] = {{12, 0x00}};
const FieldTemplate::Run kD3A8CA[] = {{8, 0x40}, {1, 0x00}};
const FieldTemplate::Run kD3A8E3[] = {{8, 0x40}};
const FieldTemplate::Run kD3A6E3[] = {{1, 0x00}, {1, 0x01}, {1, 0x00}, {1, 0xFF}};
const FieldTemplate::Run kD3AAE7[] = {{2, 0x00}};
const FieldTemplate::Run kD3A6E7[] = {{18, 0x00}, {8, 0x40}, {14, 0x00}};
const FieldTemplate::Run kD3AAEC[] = {{2, 0x00}};
const FieldTemplate::Run kD3A9E3[] = {{8, 0x40}};
const FieldTemplate::Run kD3A9CA[] = {{8, 0x40}};
const FieldTemplate::Run kD3A9CB[] = {{8, 0x40}};
const FieldTemplate::Run kD3A8CD[] = {{8, 0x40}};
const FieldTemplate::Run kD3A8C4[] = {{8, 0x40}};
const FieldTemplate::Run kD3ACAF[] = {{6, 0x00}};
const FieldTemplate::Run kD3B1AF[] = {{1, 0x00}};
const FieldTemplate::Run kD3A688[] = {{13, 0x00}};
const FieldTemplate::Run kD3A9C4[] = {{8, 0x40}};
const FieldTemplate::Run kD3A8CC[] = {{8, 0x40}};
const FieldTemplate::Run kD3A788[] = {{1, 0x00}, {1, 0xFF}};
const FieldTemplate::Run kD3A9CC[] = {{8, 0x40}};
const FieldTemplate::Run kD3A9CD[] = {{8, 0x40}};

// Rows without a writer are kept so that every field the library knows has
// its start here.
const FieldTemplate::Row kRows[] = {
    {0xD3A8A8, 18, kD3A8A8, 2, "qel::afp::BeginDocument"},
    {0xD3A9A8, 16, kD3A9A8, 1, "qel::afp::EndDocument"},
    {0xD3A8C9, 8, nullptr, 0, "qel::afp::ActiveEnvironmentGroup"},
    {0xD3A9C9, 8, nullptr, 0, "qel::afp::ActiveEnvironmentGroup"},
    {0xD3B18A, 12, kD3B18A, 1, "qel::afp::MapCodedFont1"},
    {0xD3AB8A, 8, nullptr, 0, "qel::afp::MapCodedFont"},
    {0xD3ABD8, 8, nullptr, 0, "qel::afp::MapPageOverlay"},
    {0xD3B19B, 22, kD3B19B, 1, "qel::afp::PresentationTextDescriptor"},
    {0xD3A6AF, 23, kD3A6AF, 12, "qel::afp::PageDescriptor"},
    {0xD3A8AF, 16, kD3A8AF, 1, "qel::afp::Page"},
    {0xD3A9AF, 16, kD3A9AF, 1, "qel::afp::Page"},
    {0xD3A88A, 16, kD3A88A, 1, nullptr},
    {0xD3A78A, 10, kD3A78A, 2, nullptr},
    {0xD38C8A, 8, nullptr, 0, nullptr},
    {0xD3A98A, 16, kD3A98A, 1, nullptr},
    {0xD3A887, 16, kD3A887, 1, "qel::afp::BeginCodePage"},
    {0xD3A787, 21, kD3A787, 2, "qel::afp::CodePageControl"},
    {0xD3A687, 50, kD3A687, 3, "qel::afp::CodePageDescriptor"},
    {0xD38C87, 8, nullptr, 0, "qel::afp::CodePageIndex"},
    {0xD3A987, 16, kD3A987, 1, "qel::afp::EndCodePage"},
    {0xD3A889, 16, kD3A889, 1, "qel::afp::BeginFont"},
    {0xD3A789, 36, kD3A789, 5, "qel::afp::FontControl"},
    {0xD3A689, 88, kD3A689, 1, "qel::afp::FontDescriptor"},
    {0xD3EE89, 8, nullptr, 0, "qel::afp::FontPatterns"},
    {0xD38C89, 8, nullptr, 0, "qel::afp::FontIndex"},
    {0xD3A289, 8, nullptr, 0, "qel::afp::FontPatternsMap"},
    {0xD3AB89, 10, kD3AB89, 2, nullptr},
    {0xD3AE89, 8, nullptr, 0, "qel::afp::FontOrientation"},
    {0xD3AC89, 8, nullptr, 0, "qel::afp::FontPosition"},
    {0xD3A989, 16, kD3A989, 1, "qel::afp::EndFont"},
    {0xD3A89B, 8, nullptr, 0, "qel::afp::PresentationText"},
    {0xD3A99B, 8, nullptr, 0, "qel::afp::PresentationText"},
    {0xD3EE9B, 10, kD3EE9B, 2, "qel::afp::PresentationTextData"},
    {0xD3A8AD, 16, kD3A8AD, 1, "qel::afp::BeginPageGroup"},
    {0xD3A9AD, 16, kD3A9AD, 1, "qel::afp::EndPageGroup"},
    {0xD3EEEE, 8, nullptr, 0, "qel::afp::NoOperation"},
    {0xD3AFD8, 24, kD3AFD8, 2, "qel::afp::IncludePageOverlay"},
    {0xD3AF5F, 22, kD3AF5F, 2, "qel::afp::IncludePageSegment"},
    {0xD3A090, 8, nullptr, 0, "qel::afp::TagLogicalElement"},
    {0xD3ABCC, 16, kD3ABCC, 1, "qel::afp::InvokeMediumMap"},
    {0xD3A8A7, 16, kD3A8A7, 1, "qel::afp::DocumentIndex"},
    {0xD3A9A7, 16, kD3A9A7, 1, "qel::afp::DocumentIndex"},
    {0xD3AFC3, 35, kD3AFC3, 2, "qel::afp::IncludeObject"},
    {0xD3A8FB, 16, kD3A8FB, 1, "qel::afp::BeginImageObject"},
    {0xD3A9FB, 16, kD3A9FB, 1, "qel::afp::EndImageObject"},
    {0xD3A87B, 16, kD3A87B, 1, "qel::afp::BeginImImageObject"},
    {0xD3A97B, 16, kD3A97B, 1, "qel::afp::EndImImageObject"},
    {0xD3A8C7, 8, nullptr, 0, "qel::afp::BeginObjectEnvironmentGroup"},
    {0xD3A9C7, 8, nullptr, 0, "qel::afp::EndObjectEnvironmentGroup"},
    {0xD3A66B, 8, nullptr, 0, "qel::afp::ObjectAreaDescriptor"},
    {0xD3AC6B, 32, kD3AC6B, 1, "qel::afp::ObjectAreaPosition"},
    {0xD3ABFB, 8, nullptr, 0, "qel::afp::MapImageObject"},
    {0xD3ABBB, 8, nullptr, 0, nullptr},
    {0xD3A6FB, 17, kD3A6FB, 1, "qel::afp::ImageDataDescriptor"},
    {0xD3EEFB, 8, nullptr, 0, "qel::afp::ImagePictureData"},
    {0xD3A77B, 32, kD3A77B, 2, "qel::afp::ImImageOutputControl"},
    {0xD3A67B, 44, kD3A67B, 10, "qel::afp::ImImageInputDescriptor"},
    {0xD3EE7B, 8, nullptr, 0, "qel::afp::ImImageRasterData"},
    {0xD3AC7B, 20, kD3AC7B, 1, "qel::afp::ImImageCellPosition"},
    {0xD3A8EB, 16, kD3A8EB, 1, nullptr},
    {0xD3A9EB, 16, kD3A9EB, 1, nullptr},
    {0xD3EEEB, 8, nullptr, 0, nullptr},
    {0xD3A6EB, 8, nullptr, 0, nullptr},
    {0xD3A8BB, 16, kD3A8BB, 1, "qel::afp::BeginGraphicsObject"},
    {0xD3A9BB, 16, kD3A9BB, 1, "qel::afp::EndGraphicsObject"},
    {0xD3EEBB, 8, nullptr, 0, "qel::afp::GraphicsData"},
    {0xD3A6BB, 8, nullptr, 0, "qel::afp::GraphicsDataDescriptor"},
    {0xD3A8C6, 16, kD3A8C6, 1, "qel::afp::BeginResourceGroup"},
    {0xD3A9C6, 16, kD3A9C6, 1, "qel::afp::EndResourceGroup"},
    {0xD3A8CE, 18, kD3A8CE, 2, "qel::afp::BeginResource"},
    {0xD3A9CE, 16, kD3A9CE, 1, "qel::afp::EndResource"},
    {0xD3A85F, 16, kD3A85F, 1, "qel::afp::BeginPageSegment"},
    {0xD3A95F, 16, kD3A95F, 1, "qel::afp::EndPageSegment"},
    {0xD3A8CB, 16, kD3A8CB, 1, "qel::afp::BeginPageMap"},
    {0xD3A7CA, 20, kD3A7CA, 1, "qel::afp::ConditionalProcessingControl"},
    {0xD3A8CA, 17, kD3A8CA, 2, "qel::afp::BeginDataMap"},
    {0xD3A8E3, 16, kD3A8E3, 1, "qel::afp::BeginDataMapTransmissionSubcase"},
    {0xD3A6E3, 12, kD3A6E3, 4, "qel::afp::DataMapTransmissionSubcaseDescriptor"},
    {0xD3AAE7, 10, kD3AAE7, 1, "qel::afp::LineDescriptorCount"},
    {0xD3A6E7, 48, kD3A6E7, 3, "qel::afp::LineDescriptor"},
    {0xD3AAEC, 10, kD3AAEC, 1, "qel::afp::FixedDataSize"},
    {0xD3EEEC, 8, nullptr, 0, "qel::afp::FixedDataText"},
    {0xD3A9E3, 16, kD3A9E3, 1, "qel::afp::EndDataMapTransmissionSubcase"},
    {0xD3A9CA, 16, kD3A9CA, 1, "qel::afp::EndDataMap"},
    {0xD3A9CB, 16, kD3A9CB, 1, "qel::afp::EndPageMap"},
    {0xD3A8CD, 16, kD3A8CD, 1, "qel::afp::BeginFormMap"},
    {0xD3A8C4, 16, kD3A8C4, 1, "qel::afp::BeginDocumentEnvironmentGroup"},
    {0xD3ACAF, 14, kD3ACAF, 1, "qel::afp::PagePosition1"},
    {0xD3B1AF, 9, kD3B1AF, 1, "qel::afp::PagePosition2"},
    {0xD3A688, 21, kD3A688, 1, "qel::afp::MediumDescriptor"},
    {0xD3A9C4, 16, kD3A9C4, 1, "qel::afp::EndDocumentEnvironmentGroup"},
    {0xD3A8CC, 16, kD3A8CC, 1, "qel::afp::BeginMediumMap"},
    {0xD3A288, 8, nullptr, 0, "qel::afp::MediumCopyCount"},
    {0xD3A788, 10, kD3A788, 2, "qel::afp::MediumModificationControl"},
    {0xD3A9CC, 16, kD3A9CC, 1, "qel::afp::EndMediumMap"},
    {0xD3A9CD, 16, kD3A9CD, 1, "qel::afp::EndFormMap"},
};

} // namespace

const FieldTemplate::Row* FieldTemplate::find(uint32_t id)
{
    for (const Row& row : kRows)
        if (row.id == id)
            return &row;
    return nullptr;
}

const FieldTemplate::Row* FieldTemplate::rows(int* count)
{
    if (count)
        *count = static_cast<int>(std::size(kRows));
    return kRows;
}

std::vector<unsigned char> FieldTemplate::copy(const Row& row)
{
    std::vector<unsigned char> bytes = {static_cast<unsigned char>(row.length >> 8),
                                        static_cast<unsigned char>(row.length & 0xFF),
                                        static_cast<unsigned char>((row.id >> 16) & 0xFF),
                                        static_cast<unsigned char>((row.id >> 8) & 0xFF),
                                        static_cast<unsigned char>(row.id & 0xFF),
                                        0x00,
                                        0x00,
                                        0x00};
    for (uint8_t i = 0; i < row.runs; ++i)
        bytes.insert(bytes.end(), row.data[i].count, row.data[i].byte);
    return bytes;
}

std::vector<unsigned char> FieldTemplate::copy(uint32_t id)
{
    const Row* row = find(id);
    return row ? copy(*row) : std::vector<unsigned char>();
}

} // namespace afp
} // namespace qel
