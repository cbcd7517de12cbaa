#include "run/elfdependencies.h"

#include <QFile>

#include <fcntl.h>
#include <gelf.h>
#include <libelf.h>
#include <unistd.h>

namespace {

// The needed names of one dynamic section, whose strings lie in the section it links.
void readDynamicSection(Elf *elf, Elf_Scn *section, const GElf_Shdr &header, QStringList *needed)
{
    Elf_Data *data = elf_getdata(section, nullptr);
    if (!data || header.sh_entsize == 0)
        return;
    const size_t count = header.sh_size / header.sh_entsize;
    for (size_t i = 0; i < count; ++i) {
        GElf_Dyn entry;
        if (!gelf_getdyn(data, int(i), &entry))
            break;
        if (entry.d_tag == DT_NULL)
            break;
        if (entry.d_tag != DT_NEEDED)
            continue;
        if (const char *name = elf_strptr(elf, header.sh_link, entry.d_un.d_val))
            needed->append(QFile::decodeName(name));
    }
}

} // namespace

bool ElfDependencies::read(const QString &fileName, QStringList *needed)
{
    if (elf_version(EV_CURRENT) == EV_NONE)
        return false;
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    Elf *elf = elf_begin(fd, ELF_C_READ, nullptr);
    const bool isElf = elf && elf_kind(elf) == ELF_K_ELF;
    QStringList names;
    Elf_Scn *section = nullptr;
    while (isElf && (section = elf_nextscn(elf, section))) {
        GElf_Shdr header;
        if (gelf_getshdr(section, &header) && header.sh_type == SHT_DYNAMIC)
            readDynamicSection(elf, section, header, &names);
    }
    elf_end(elf);
    ::close(fd);
    if (isElf)
        *needed = names;
    return isElf;
}
