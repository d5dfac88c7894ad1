// 32- and 64-bit ELF, little-endian only (the hosts this layer runs on).
// Sections larger than kMaxSection are refused: what is read here is small.
#include "resource/elf_section.h"

#include <elf.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat::res {

namespace {

constexpr uint64_t kMaxSection = 1 << 20;
constexpr uint64_t kMaxSections = 1 << 16;

class File {
 public:
  explicit File(int fd) : fd_(fd) {
    struct stat st {};
    if (fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) size_ = (uint64_t)st.st_size;
  }

  bool Read(uint64_t offset, void* out, uint64_t count) const {
    if (offset > size_ || count > size_ - offset) return false;
    return pread(fd_, out, count, (off_t)offset) == (ssize_t)count;
  }
  bool Read(uint64_t base, uint64_t add, void* out, uint64_t count) const {
    uint64_t offset;
    return !__builtin_add_overflow(base, add, &offset) && Read(offset, out, count);
  }

 private:
  int fd_;  // not owned
  uint64_t size_ = 0;
};

template <typename Ehdr, typename Shdr>
bool FindSection(const File& file, const char* name, std::vector<unsigned char>* data) {
  Ehdr eh;
  if (!file.Read(0, &eh, sizeof eh) || eh.e_shoff == 0 || eh.e_shentsize != sizeof(Shdr))
    return false;
  auto header = [&](uint64_t index, Shdr* sh) {
    return file.Read(eh.e_shoff, index * sizeof(Shdr), sh, sizeof(Shdr));
  };
  uint64_t count = eh.e_shnum;
  uint64_t namesIndex = eh.e_shstrndx;
  Shdr first;
  if (!header(0, &first)) return false;
  if (count == 0) count = first.sh_size;  // extended numbering
  if (namesIndex == SHN_XINDEX) namesIndex = first.sh_link;
  if (count > kMaxSections || namesIndex >= count) return false;

  Shdr names;
  if (!header(namesIndex, &names)) return false;
  size_t nameLength = strlen(name) + 1;
  std::vector<char> candidate(nameLength);
  for (uint64_t i = 1; i < count; ++i) {
    Shdr sh;
    if (!header(i, &sh)) return false;
    if (sh.sh_name >= names.sh_size || names.sh_size - sh.sh_name < nameLength) continue;
    if (!file.Read(names.sh_offset, sh.sh_name, candidate.data(), nameLength)) continue;
    if (memcmp(candidate.data(), name, nameLength) != 0) continue;
    if (sh.sh_type == SHT_NOBITS || sh.sh_size > kMaxSection) return false;
    data->resize(sh.sh_size);
    return file.Read(sh.sh_offset, data->data(), sh.sh_size);
  }
  return false;
}

}  // namespace

bool ReadElfSection(int fd, const char* name, std::vector<unsigned char>* data) {
  File file(fd);
  unsigned char ident[EI_NIDENT];
  if (!file.Read(0, ident, sizeof ident) || memcmp(ident, ELFMAG, SELFMAG) != 0 ||
      ident[EI_DATA] != ELFDATA2LSB)
    return false;
  if (ident[EI_CLASS] == ELFCLASS64) return FindSection<Elf64_Ehdr, Elf64_Shdr>(file, name, data);
  if (ident[EI_CLASS] == ELFCLASS32) return FindSection<Elf32_Ehdr, Elf32_Shdr>(file, name, data);
  return false;
}

}  // namespace plat::res
