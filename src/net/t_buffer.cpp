#include "net/t_buffer.h"

#include <algorithm>
#include <cstring>

namespace kivo {

TBuffer::TBuffer(int size)
    : data_(std::make_unique<char[]>(size > 0 ? size : kDefaultSize)),
      size_(size > 0 ? size : kDefaultSize) {}

void TBuffer::SetBufSize(int size) {
  if (size <= 0) size = kDefaultSize;
  const int unsent = Size();
  size = std::max(size, unsent);
  auto bigger = std::make_unique<char[]>(size);
  std::memcpy(bigger.get(), data_.get() + rd_count_, unsent);
  wr_count_ = unsent;
  rd_count_ = 0;
  data_ = std::move(bigger);
  size_ = size;
}

int TBuffer::Write(const char* data, int len) {
  // Reclaim the front once everything stored has been sent, so a reused block starts empty.
  if (rd_count_ == wr_count_) rd_count_ = wr_count_ = 0;
  int n = std::min(std::max(len, 0), Room());
  if (n > 0) std::memcpy(data_.get() + wr_count_, data, n);
  wr_count_ += n;
  return n;
}

const char* TBuffer::Peek(int* len) const {
  *len = Size();
  return data_.get() + rd_count_;
}

void TBuffer::Remove(int len) {
  rd_count_ += std::clamp(len, 0, Size());
  if (rd_count_ == wr_count_) rd_count_ = wr_count_ = 0;
}

}  // namespace kivo
