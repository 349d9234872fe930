// TBuffer: one block of a socket's send queue — a fixed byte area with a write count (bytes
// stored) and a read count (bytes already sent). Plain value type, used by one thread at a time;
// it has no callbacks.
#pragma once

#include <cstddef>
#include <memory>

namespace kivo {

class TBuffer {
 public:
  // Block size used when a size of 0 or less is asked for.
  static constexpr int kDefaultSize = 1514;

  explicit TBuffer(int size);

  int BufSize() const { return size_; }
  // Changes the capacity; bytes not yet sent are kept (the capacity never drops below them).
  void SetBufSize(int size);

  // Appends up to |len| bytes; returns how many fitted.
  int Write(const char* data, int len);
  // Unsent bytes: pointer to the first and their count.
  const char* Peek(int* len) const;
  // Marks |len| unsent bytes as sent.
  void Remove(int len);
  // Bytes still to send.
  int Size() const { return wr_count_ - rd_count_; }
  // Room left for Write.
  int Room() const { return size_ - wr_count_; }
  bool IsEmpty() const { return Size() == 0; }

 private:
  std::unique_ptr<char[]> data_;
  int size_;
  int wr_count_ = 0;
  int rd_count_ = 0;
};

}  // namespace kivo
