#include "live_stream.h"

#include <array>
#include <vector>

namespace kivo::camsim {
namespace {

constexpr int kMbColumns = kLiveWidth / 16;
constexpr int kMbRows = kLiveHeight / 16;
constexpr uint16_t kPmtPid = 0x1000;
constexpr uint16_t kVideoPid = 0x100;
constexpr int64_t kTicksPerSecond = 90000;
constexpr int64_t kStartDelay = 9000;  // 100 ms between the clock reference and the first frame

class BitWriter {
 public:
  void Bits(uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) Bit((value >> i) & 1);
  }
  void Bit(int b) {
    current_ = static_cast<uint8_t>((current_ << 1) | b);
    if (++filled_ == 8) Flush();
  }
  void Ue(uint32_t value) {
    const uint32_t v = value + 1;
    int length = 0;
    while ((v >> length) > 1) ++length;
    Bits(0, length);
    Bits(v, length + 1);
  }
  void Se(int32_t value) { Ue(value <= 0 ? static_cast<uint32_t>(-2 * value) : 2 * value - 1); }
  void AlignZero() {
    while (filled_ != 0) Bit(0);
  }
  void Byte(uint8_t b) { Bits(b, 8); }
  // rbsp_trailing_bits: a stop bit, then zeros to the byte boundary.
  std::vector<uint8_t> Finish() {
    Bit(1);
    AlignZero();
    return bytes_;
  }

 private:
  void Flush() {
    bytes_.push_back(current_);
    current_ = 0;
    filled_ = 0;
  }
  std::vector<uint8_t> bytes_;
  uint8_t current_ = 0;
  int filled_ = 0;
};

// Start code, NAL header, payload with emulation prevention.
std::string Nal(uint8_t header, const std::vector<uint8_t>& rbsp) {
  std::string out("\0\0\0\1", 4);
  out.push_back(static_cast<char>(header));
  int zeros = 0;
  for (uint8_t b : rbsp) {
    if (zeros >= 2 && b <= 3) {
      out.push_back(3);
      zeros = 0;
    }
    out.push_back(static_cast<char>(b));
    zeros = b == 0 ? zeros + 1 : 0;
  }
  return out;
}

std::string AccessUnitDelimiter() { return std::string("\0\0\0\1\x09\xf0", 6); }

std::string SequenceParameterSet() {
  BitWriter w;
  w.Byte(66);    // baseline profile
  w.Byte(0xc0);  // constraint sets 0 and 1
  w.Byte(30);    // level 3.0
  w.Ue(0);       // seq_parameter_set_id
  w.Ue(0);       // log2_max_frame_num_minus4: frame_num has 4 bits
  w.Ue(2);       // pic_order_cnt_type: output order is decoding order
  w.Ue(1);       // max_num_ref_frames
  w.Bit(0);      // gaps_in_frame_num_value_allowed_flag
  w.Ue(kMbColumns - 1);
  w.Ue(kMbRows - 1);
  w.Bit(1);  // frame_mbs_only_flag
  w.Bit(1);  // direct_8x8_inference_flag
  w.Bit(0);  // frame_cropping_flag
  w.Bit(0);  // vui_parameters_present_flag
  return Nal(0x67, w.Finish());
}

std::string PictureParameterSet() {
  BitWriter w;
  w.Ue(0);   // pic_parameter_set_id
  w.Ue(0);   // seq_parameter_set_id
  w.Bit(0);  // CAVLC
  w.Bit(0);  // bottom_field_pic_order_in_frame_present_flag
  w.Ue(0);   // num_slice_groups_minus1
  w.Ue(0);   // num_ref_idx_l0_default_active_minus1
  w.Ue(0);   // num_ref_idx_l1_default_active_minus1
  w.Bit(0);  // weighted_pred_flag
  w.Bits(0, 2);
  w.Se(0);   // pic_init_qp_minus26
  w.Se(0);   // pic_init_qs_minus26
  w.Se(0);   // chroma_qp_index_offset
  w.Bit(1);  // deblocking_filter_control_present_flag
  w.Bit(0);  // constrained_intra_pred_flag
  w.Bit(0);  // redundant_pic_cnt_present_flag
  return Nal(0x68, w.Finish());
}

struct Yuv {
  uint8_t y, cb, cr;
};

// 75 % colour bars (studio range).
constexpr std::array<Yuv, 7> kBars{{{180, 128, 128},
                                    {162, 44, 142},
                                    {131, 156, 44},
                                    {112, 72, 58},
                                    {84, 184, 198},
                                    {65, 100, 212},
                                    {35, 212, 114}}};
constexpr Yuv kBand{40, 128, 128};
constexpr Yuv kInk{235, 128, 128};

// 5 x 7 glyphs, one row per entry, the leftmost column in bit 4.
struct Glyph {
  char c;
  std::array<uint8_t, 7> rows;
};
constexpr std::array<Glyph, 8> kGlyphs{{{'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
                                        {'I', {0x0e, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0e}},
                                        {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0a, 0x04}},
                                        {'O', {0x0e, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0e}},
                                        {'C', {0x0e, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0e}},
                                        {'A', {0x0e, 0x11, 0x11, 0x1f, 0x11, 0x11, 0x11}},
                                        {'M', {0x11, 0x1b, 0x15, 0x15, 0x11, 0x11, 0x11}},
                                        {'S', {0x0f, 0x10, 0x10, 0x0e, 0x01, 0x01, 0x1e}}}};
constexpr char kCaption[] = "KIVO CAMSIM";
constexpr int kGlyphScale = 3;
constexpr int kBandTop = 96;
constexpr int kCaptionTop = 112;
constexpr int kCaptionLeft = (kLiveWidth - (sizeof kCaption - 1) * 6 * kGlyphScale) / 2;

bool CaptionInk(int x, int y) {
  const int gx = (x - kCaptionLeft) / kGlyphScale;
  const int gy = (y - kCaptionTop) / kGlyphScale;
  if (x < kCaptionLeft || y < kCaptionTop || gy >= 7) return false;
  const std::size_t index = gx / 6;
  const int column = gx % 6;
  if (index >= sizeof kCaption - 1 || column == 5) return false;
  for (const Glyph& g : kGlyphs) {
    if (g.c == kCaption[index]) return (g.rows[gy] >> (4 - column)) & 1;
  }
  return false;
}

Yuv Pixel(int x, int y, int64_t sequence) {
  if (y < kBandTop) return kBars[x * 7 / kLiveWidth];
  // A marker that steps along the band once a second: the picture is live, not frozen.
  const int marker = 8 + static_cast<int>(sequence % 15) * 16;
  if (y >= kBandTop + 4 && y < kBandTop + 10 && x >= marker && x < marker + 8) return kInk;
  return CaptionInk(x, y) ? kInk : kBand;
}

// A frame that copies the previous one: every macroblock skipped.
std::string SkipSlice(int frame_num) {
  BitWriter w;
  w.Ue(0);              // first_mb_in_slice
  w.Ue(5);              // P slice, all of the picture
  w.Ue(0);              // pic_parameter_set_id
  w.Bits(frame_num, 4);
  w.Bit(0);             // num_ref_idx_active_override_flag
  w.Bit(0);             // ref_pic_list_modification_flag_l0
  w.Bit(0);             // adaptive_ref_pic_marking_mode_flag
  w.Se(0);              // slice_qp_delta
  w.Ue(1);              // deblocking off
  w.Ue(kMbColumns * kMbRows);  // mb_skip_run
  return Nal(0x41, w.Finish());
}

uint32_t Crc32Mpeg(const uint8_t* data, size_t size) {
  uint32_t crc = 0xffffffff;
  for (size_t i = 0; i < size; ++i) {
    crc ^= static_cast<uint32_t>(data[i]) << 24;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000) ? (crc << 1) ^ 0x04c11db7 : crc << 1;
  }
  return crc;
}

// One 188-byte transport packet carrying a table section, padded with 0xff.
std::string TablePacket(uint16_t pid, int counter, std::vector<uint8_t> section) {
  const uint32_t crc = Crc32Mpeg(section.data(), section.size());
  for (int shift = 24; shift >= 0; shift -= 8) section.push_back(static_cast<uint8_t>(crc >> shift));
  std::string packet(188, '\xff');
  packet[0] = 0x47;
  packet[1] = static_cast<char>(0x40 | (pid >> 8));
  packet[2] = static_cast<char>(pid & 0xff);
  packet[3] = static_cast<char>(0x10 | (counter & 0x0f));
  packet[4] = 0;  // pointer field
  std::copy(section.begin(), section.end(), packet.begin() + 5);
  return packet;
}

void PutTimestamp(std::string& out, uint8_t prefix, int64_t ts) {
  out.push_back(static_cast<char>(prefix | ((ts >> 29) & 0x0e) | 1));
  out.push_back(static_cast<char>(ts >> 22));
  out.push_back(static_cast<char>(((ts >> 14) & 0xfe) | 1));
  out.push_back(static_cast<char>(ts >> 7));
  out.push_back(static_cast<char>(((ts << 1) & 0xfe) | 1));
}

// One frame as a PES packet cut into transport packets; the first carries the clock reference.
void PutFrame(std::string& out, const std::string& access_unit, int64_t pts, int& counter) {
  std::string pes("\0\0\1\xe0\0\0\x80\x80\x05", 9);  // unbounded video PES, PTS only
  PutTimestamp(pes, 0x20, pts);
  pes += access_unit;
  std::size_t offset = 0;
  bool first = true;
  while (offset < pes.size()) {
    std::string packet;
    packet.push_back(0x47);
    packet.push_back(static_cast<char>((first ? 0x40 : 0) | (kVideoPid >> 8)));
    packet.push_back(static_cast<char>(kVideoPid & 0xff));
    // The adaptation field: the clock reference on the first packet, stuffing on the last.
    bool has_adaptation = false;
    std::string adaptation;
    if (first) {
      const int64_t pcr = (pts - kStartDelay) & ((1LL << 33) - 1);
      has_adaptation = true;
      adaptation.push_back(0x10);  // PCR present
      adaptation.push_back(static_cast<char>(pcr >> 25));
      adaptation.push_back(static_cast<char>(pcr >> 17));
      adaptation.push_back(static_cast<char>(pcr >> 9));
      adaptation.push_back(static_cast<char>(pcr >> 1));
      adaptation.push_back(static_cast<char>(((pcr & 1) << 7) | 0x7e));
      adaptation.push_back(0);
    }
    const std::size_t room = 184 - (has_adaptation ? adaptation.size() + 1 : 0);
    const std::size_t take = std::min(room, pes.size() - offset);
    if (take < room) {
      // 184 - take bytes of adaptation field, its length byte included.
      const std::size_t length = 184 - take - 1;
      if (!has_adaptation && length > 0) adaptation.push_back(0x00);  // no flags
      has_adaptation = true;
      adaptation.resize(length, '\xff');
    }
    packet.push_back(static_cast<char>((has_adaptation ? 0x30 : 0x10) | (counter++ & 0x0f)));
    if (has_adaptation) {
      packet.push_back(static_cast<char>(adaptation.size()));
      packet += adaptation;
    }
    packet.append(pes, offset, take);
    offset += take;
    out += packet;
    first = false;
  }
}

// Transport packets of one segment's video: the same for every segment, so the continuity
// counter of the next segment starts where this count leaves it.
int VideoPacketsPerSegment() {
  static const int count = [] {
    std::string out;
    int counter = 0;
    PutFrame(out, LiveKeyFrame(0), 0, counter);
    for (int i = 1; i < kLiveFramesPerSegment; ++i) PutFrame(out, LiveRepeatFrame(i), 0, counter);
    return counter;
  }();
  return count;
}

}  // namespace

std::string LiveKeyFrame(int64_t sequence) {
  BitWriter w;
  w.Ue(0);        // first_mb_in_slice
  w.Ue(7);        // I slice, all of the picture
  w.Ue(0);        // pic_parameter_set_id
  w.Bits(0, 4);   // frame_num
  w.Ue(0);        // idr_pic_id
  w.Bit(0);       // no_output_of_prior_pics_flag
  w.Bit(0);       // long_term_reference_flag
  w.Se(0);        // slice_qp_delta
  w.Ue(1);        // deblocking off
  for (int mb_y = 0; mb_y < kMbRows; ++mb_y) {
    for (int mb_x = 0; mb_x < kMbColumns; ++mb_x) {
      w.Ue(25);  // I_PCM: the samples as they are
      w.AlignZero();
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) w.Byte(Pixel(mb_x * 16 + x, mb_y * 16 + y, sequence).y);
      for (int plane = 0; plane < 2; ++plane)
        for (int y = 0; y < 8; ++y)
          for (int x = 0; x < 8; ++x) {
            const Yuv p = Pixel(mb_x * 16 + 2 * x, mb_y * 16 + 2 * y, sequence);
            w.Byte(plane == 0 ? p.cb : p.cr);
          }
    }
  }
  return AccessUnitDelimiter() + SequenceParameterSet() + PictureParameterSet() +
         Nal(0x65, w.Finish());
}

std::string LiveRepeatFrame(int frame_num) {
  return AccessUnitDelimiter() + SkipSlice(frame_num & 0x0f);
}

std::string LiveSegment(int64_t sequence) {
  // Program association (one program, map on PID 0x1000) and program map (H.264 on PID 0x100,
  // which also carries the clock reference).
  const std::vector<uint8_t> pat = {0x00, 0xb0, 0x0d, 0x00, 0x01, 0xc1, 0x00, 0x00,
                                    0x00, 0x01, 0xf0, 0x00};
  const std::vector<uint8_t> pmt = {0x02, 0xb0, 0x12, 0x00, 0x01, 0xc1, 0x00, 0x00, 0xe1,
                                    0x00, 0xf0, 0x00, 0x1b, 0xe1, 0x00, 0xf0, 0x00};
  const int table_counter = static_cast<int>(sequence & 0x0f);
  std::string segment =
      TablePacket(0x0000, table_counter, pat) + TablePacket(kPmtPid, table_counter, pmt);
  int counter = static_cast<int>((sequence * VideoPacketsPerSegment()) & 0x0f);
  const int64_t first_pts = kStartDelay + sequence * kTicksPerSecond;
  for (int i = 0; i < kLiveFramesPerSegment; ++i) {
    const int64_t pts = (first_pts + i * kTicksPerSecond / kLiveFramesPerSegment) & ((1LL << 33) - 1);
    PutFrame(segment, i == 0 ? LiveKeyFrame(sequence) : LiveRepeatFrame(i), pts, counter);
  }
  return segment;
}

}  // namespace kivo::camsim
