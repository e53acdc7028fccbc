#include "platform/png_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t BigEndian(const std::vector<unsigned char>& d, std::size_t at) {
  return (std::uint32_t{d[at]} << 24) | (std::uint32_t{d[at + 1]} << 16) | (std::uint32_t{d[at + 2]} << 8) | d[at + 3];
}

TEST(WritePng, WritesAnRgbPictureOfTheRightSize) {
  const std::string path = ::testing::TempDir() + "vyrtal_png_writer_test.png";
  PixelImage image(7, 5, PackRgb(255, 0, 0));
  ASSERT_TRUE(WritePng(image, path));
  const auto data = ReadAll(path);
  ASSERT_GT(data.size(), 33u);
  const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(data[static_cast<std::size_t>(i)], signature[i]);
  EXPECT_EQ(BigEndian(data, 16), 7u);  // IHDR width
  EXPECT_EQ(BigEndian(data, 20), 5u);  // IHDR height
  EXPECT_EQ(data[24], 8);              // bit depth
  EXPECT_EQ(data[25], 2);              // RGB
}

TEST(WritePng, FailsOnAnEmptyPictureOrABadPath) {
  EXPECT_FALSE(WritePng(PixelImage(), ::testing::TempDir() + "vyrtal_empty.png"));
  EXPECT_FALSE(WritePng(PixelImage(2, 2), "/nonexistent-dir/x.png"));
}

}  // namespace
