#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "gadget/display/carried_pictures.h"
#include "gadget/display/image_sets.h"
#include "gadget/display/image_store.h"
#include "gadget/display/png_image.h"
#include "gadget/window/field_catalogue.h"
#include "lib/common/named_handles.h"

namespace tv {
namespace {

// The size a picture's name ends with ("windsock-128" is 128 pixels square).
int SizeInName(std::string_view name) {
  return std::stoi(std::string(name.substr(name.rfind('-') + 1)));
}

TEST(CarriedPictures, EveryOneDecodesAtTheSizeOfItsName) {
  ASSERT_GT(CarriedPictures().size(), 60u);
  for (const CarriedPicture& p : CarriedPictures()) {
    SCOPED_TRACE(std::string(p.name));
    const auto image = DecodePng({p.data, p.size});
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, SizeInName(p.name));
    EXPECT_EQ(image->height, SizeInName(p.name));
    ASSERT_EQ(image->pixels.size(), static_cast<std::size_t>(image->width * image->height * 4));
    bool opaque_somewhere = false;
    for (std::size_t i = 3; i < image->pixels.size(); i += 4) {
      opaque_somewhere = opaque_somewhere || image->pixels[i] > 200;
    }
    EXPECT_TRUE(opaque_somewhere) << "a picture that shows nothing";
  }
}

TEST(CarriedPictures, EveryPictureOfTheLayoutIsCarried) {
  for (const FieldEntry& e : FieldCatalogue()) {
    if (e.picture.empty()) continue;
    EXPECT_NE(FindCarriedPicture(e.picture), nullptr) << FieldName(e.id) << " " << e.picture;
  }
}

TEST(PngDecoding, BadDataGivesNoImage) {
  const CarriedPicture* good = FindCarriedPicture("sun-32");
  ASSERT_NE(good, nullptr);
  std::vector<std::uint8_t> truncated(good->data, good->data + good->size / 2);
  std::vector<std::uint8_t> bad_crc(good->data, good->data + good->size);
  bad_crc[bad_crc.size() / 2] ^= 0xFF;
  struct Row {
    const char* legend;
    std::vector<std::uint8_t> data;
  };
  const Row rows[] = {
      {"empty", {}},
      {"not a PNG", {'G', 'I', 'F', '8', '9', 'a', 0, 0}},
      {"signature only", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}},
      {"cut in the middle", truncated},
      {"corrupted image data", bad_crc},
  };
  for (const Row& row : rows) EXPECT_FALSE(DecodePng(row.data).has_value()) << row.legend;
}

TEST(CarriedPictures, DecodedOnceUnknownNameGivesNoImage) {
  const ImageHandle first = CarriedPictureImage("stop-sign-32");
  EXPECT_NE(first, kNoImage);
  EXPECT_EQ(CarriedPictureImage("stop-sign-32"), first);
  EXPECT_EQ(CarriedPictureImage("no-such-picture-32"), kNoImage);
  EXPECT_EQ(FindImage(kNoImage), nullptr);
  EXPECT_EQ(FindImage(-4), nullptr);
  EXPECT_EQ(FindImage(1'000'000), nullptr);
}

TEST(ImageStore, APictureStoredForLaterIsDecodedOnceWhenFirstLookedFor) {
  int decoded = 0;
  const ImageHandle later = StoreImageLater([&decoded] {
    ++decoded;
    return std::optional<RgbaImage>(RgbaImage{1, 1, {1, 2, 3, 4}});
  });
  EXPECT_EQ(decoded, 0) << "nothing decoded at start";
  ASSERT_NE(FindImage(later), nullptr);
  EXPECT_EQ(FindImage(later)->pixels, (std::vector<std::uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(decoded, 1) << "decoded once";
  const ImageHandle broken = StoreImageLater([] { return std::optional<RgbaImage>{}; });
  EXPECT_NE(broken, kNoImage);
  EXPECT_EQ(FindImage(broken), nullptr) << "data that does not decode shows nothing";
}

TEST(ImageSets, EveryRegisteredNameResolvesToAnImageOfItsSize) {
  RegisterGeneralSet();
  RegisterForecastSet();
  RegisterTrendSet();
  struct Set {
    const char* legend;
    std::span<const NamedPicture> pictures;
    std::size_t count;
  };
  const Set sets[] = {
      {"general", GeneralImageSet(), 19},
      {"forecast", ForecastImageSet(), 10},
      {"trend", TrendImageSet(), 19},
  };
  for (const Set& set : sets) {
    SCOPED_TRACE(set.legend);
    EXPECT_EQ(set.pictures.size(), set.count);
    for (const NamedPicture& p : set.pictures) {
      SCOPED_TRACE(std::string(p.name));
      EXPECT_TRUE(p.name.starts_with("ICO_"));
      const auto image = FindImage(LookupHandle(p.name, kHandleKindImage));
      ASSERT_NE(image, nullptr);
      EXPECT_EQ(image->width, p.size);
      EXPECT_EQ(image->height, p.size);
    }
  }
  // Sizes the pictures are known by, for the names whose size is not the usual 32 or 16.
  const std::pair<const char*, int> odd_sizes[] = {{"ICO_VT", 64},
                                                   {"ICO_Tendance_TemperatureFraiche", 48},
                                                   {"ICO_ForeCast_Pluie_Neige", 128},
                                                   {"ICO_Tendance_ChangementDeTemperature", 16},
                                                   {"ICO_Tendance_FinNuage", 32}};
  for (const auto& [name, size] : odd_sizes) {
    const auto image = FindImage(LookupHandle(name, kHandleKindImage));
    ASSERT_NE(image, nullptr) << name;
    EXPECT_EQ(image->width, size) << name;
  }
  const auto rose = FindImage(NumberedImage(kWindRoseImageNumber));
  ASSERT_NE(rose, nullptr);
  EXPECT_EQ(rose->width, 200);
  EXPECT_EQ(NumberedImage(5211), kNoImage);
}

}  // namespace
}  // namespace tv
