// CSpillFile: the file the receive history moves its older chunks to once
// they exceed its memory budget. The file never has a name (it is created
// unlinked), so nothing of it outlives the process, however it ends; its
// space is freed record by record as they are released (holes punched into
// it), and wholly when the last record mapped from it is released.
//
// A record is written once, at the end of the file, starting on a page
// boundary, and then mapped read-only; the mapping keeps the file open.
// Records may be read from any thread; Append is for one thread at a time.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

class CSpillFile;

class CSpillRecord
{
public:
    CSpillRecord(std::shared_ptr<CSpillFile> file, const uint8_t *data, std::size_t size,
                 uint64_t offset);
    // Unmaps the record and frees its space in the file.
    ~CSpillRecord();
    CSpillRecord(const CSpillRecord &) = delete;
    CSpillRecord &operator=(const CSpillRecord &) = delete;

    const uint8_t *Data() const { return m_data; }
    std::size_t Size() const { return m_size; }
    // Maps every page of the record at once, before a walk over all of it
    // (a save, a search): the kernel copies out of an unmapped page only by
    // faulting it in and retrying the write, ten times slower.
    void LoadPages() const;
    // Hands the pages read so far back to the system (they are read again
    // from the file when needed), so a walk over the whole history does not
    // keep it resident.
    void DropPages() const;

private:
    std::shared_ptr<CSpillFile> m_file;
    const uint8_t *m_data;
    std::size_t m_size;
    uint64_t m_offset;
};

class CSpillFile : public std::enable_shared_from_this<CSpillFile>
{
public:
    // $XDG_CACHE_HOME, or /tmp when it is not set.
    static QString DefaultFolder();
    // A fresh file in `folder`; null, with the reason in `error`, when none
    // can be made there.
    static std::shared_ptr<CSpillFile> Create(const QString &folder, QString &error);
    ~CSpillFile();
    CSpillFile(const CSpillFile &) = delete;
    CSpillFile &operator=(const CSpillFile &) = delete;

    // Writes the parts one after the other as one record and maps it. Null,
    // with the reason in `error`, when the write fails (a full disk); the
    // file is then cut back to what it held before.
    std::shared_ptr<const CSpillRecord> Append(std::span<const std::span<const uint8_t>> parts,
                                               QString &error);

private:
    friend class CSpillRecord;
    explicit CSpillFile(int fd) : m_fd(fd) {}
    void Free(uint64_t offset, std::size_t size) const;
    bool WriteAt(uint64_t offset, std::span<const uint8_t> bytes, QString &error) const;
    void StartWriteBack(uint64_t offset, std::size_t size) const;

    int m_fd;
    uint64_t m_end = 0;
};
