#include "camera_model.h"

#include <algorithm>

namespace kivo::camsim {
namespace {

// Records captured from a HERO3 Black and a HERO3+ Black right after switching on. The other
// models are derived from them: only the model code, the generation byte (4) and the readiness
// codes differ on the BacPac side, and the camera side is the same layout.
constexpr BacPacRecord kHero3BlackBacPac = {0x00, 0x64, 0x01, 0x00, 0x03, 0x00, 0xff, 0x00,
                                            0x22, 0x01, 0x00, 0x01, 0x04, 0x02, 0x01, 0x01};
constexpr BacPacRecord kHero3PlusBlackBacPac = {0x00, 0x64, 0x01, 0x00, 0x04, 0x00, 0xff, 0x00,
                                                0x52, 0x01, 0x00, 0x01, 0x0b, 0x02, 0x01, 0x01};
constexpr CameraRecord kHero3BlackCamera = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0x05, 0x00, 0xff, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x02, 0x90, 0x63, 0x00, 0x12, 0x33, 0x00, 0x02, 0x00, 0x86, 0x00, 0x01, 0x00, 0x04};
constexpr CameraRecord kHero3PlusBlackCamera = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x02, 0x90, 0x3f, 0x00, 0x12, 0x37, 0x00, 0x00, 0x00, 0x86, 0x00, 0x01, 0x00, 0x04};

constexpr BacPacRecord WithModel(BacPacRecord base, uint8_t generation, uint8_t ready,
                                 uint8_t code) {
  base[4] = generation;
  base[8] = ready;
  base[12] = code;
  return base;
}

// A Silver reports its battery on a scale of 72, a White on 76 (the program rescales them).
constexpr CameraRecord WithBattery(CameraRecord base, int full) {
  base[19] = static_cast<uint8_t>((base[19] * full + 50) / 100);
  return base;
}

constexpr std::array<ModelProfile, 7> kModels = {{
    {1, "HERO2 with Wi-Fi BacPac", WithModel(kHero3BlackBacPac, 0x02, 1, 1), kHero3BlackCamera,
     1, 0, 2, 100},
    {2, "HERO3 White Edition", WithModel(kHero3BlackBacPac, 0x03, 34, 2),
     WithBattery(kHero3BlackCamera, 76), 34, 32, 33, 76},
    {3, "HERO3 Silver Edition", WithModel(kHero3BlackBacPac, 0x03, 34, 3),
     WithBattery(kHero3BlackCamera, 72), 34, 32, 33, 72},
    {4, "HERO3 Black Edition", kHero3BlackBacPac, kHero3BlackCamera, 34, 32, 33, 100},
    {10, "HERO3+ Silver Edition", WithModel(kHero3PlusBlackBacPac, 0x04, 82, 10),
     kHero3PlusBlackCamera, 82, 80, 80, 100},
    {11, "HERO3+ Black Edition", kHero3PlusBlackBacPac, kHero3PlusBlackCamera, 82, 80, 80, 100},
    {255, "unknown camera", WithModel(kHero3BlackBacPac, 0x03, 34, 255), kHero3BlackCamera, 34,
     32, 33, 100},
}};

}  // namespace

const ModelProfile* FindModel(int code) {
  auto it = std::find_if(kModels.begin(), kModels.end(),
                         [code](const ModelProfile& m) { return m.code == code; });
  return it == kModels.end() ? nullptr : &*it;
}

std::span<const ModelProfile> AllModels() { return kModels; }

}  // namespace kivo::camsim
