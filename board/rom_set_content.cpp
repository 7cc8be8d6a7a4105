#include "rom_set_content.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace {

using Files = std::array<std::unique_ptr<unsigned char[]>, 6>;

const std::string kSize = std::to_string(kRomFileSize);

std::string parent_of(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string base_of(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool is_zip_name(const std::string& name) {
    return name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".zip") == 0;
}

std::string all_names() {
    std::string list;
    for (const char* name : kRomSetNames) list += (list.empty() ? "" : ", ") + std::string(name);
    return list;
}

// Loose files, by the board's own rule (rom_files.h).
bool load_directory(const std::string& dir, Files& out, std::string& error) {
    Files files;
    for (size_t i = 0; i < kRomSetNames.size(); ++i) {
        files[i] = read_rom_file((dir == "/" ? "" : dir) + "/" + kRomSetNames[i], error);
        if (!files[i]) return false;
    }
    out = std::move(files);
    return true;
}

struct ArchiveDiscard {
    void operator()(zip_t* archive) const { zip_discard(archive); }  // read only: nothing to write back
};
struct EntryClose {
    void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};

// The size an entry's headers give must be exactly kRomFileSize: checked for
// every file before anything is allocated for any.
bool check_entry_size(zip_t* archive, zip_int64_t index, const std::string& where, std::string& error) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) {
        error = where + " gives no size";
        return false;
    }
    if (st.size != kRomFileSize) {
        error = where + " is " + std::to_string(st.size) + " bytes; a ROM file in an archive must be exactly " + kSize;
        return false;
    }
    return true;
}

// Reads an entry of kRomFileSize bytes; its CRC is checked when the read
// reaches its end.
bool read_entry(zip_t* archive, zip_int64_t index, const std::string& where, std::unique_ptr<unsigned char[]>& out,
                std::string& error) {
    std::unique_ptr<zip_file_t, EntryClose> entry(zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0));
    if (!entry) {
        error = where + " cannot be opened (" + zip_strerror(archive) + ")";
        return false;
    }
    std::unique_ptr<unsigned char[]> data(new (std::nothrow) unsigned char[kRomFileSize]);
    if (!data) {
        error = where + ": out of memory";
        return false;
    }
    size_t got = 0;
    while (got < kRomFileSize) {
        const zip_int64_t n = zip_fread(entry.get(), data.get() + got, kRomFileSize - got);
        if (n <= 0) {
            error = where + " is damaged (" + (n < 0 ? zip_file_strerror(entry.get()) : "its data ends early") + ")";
            return false;
        }
        got += static_cast<size_t>(n);
    }
    unsigned char more;
    const zip_int64_t n = zip_fread(entry.get(), &more, 1);
    if (n != 0) {
        error = where + " is damaged (" + (n < 0 ? zip_file_strerror(entry.get()) : "more data than its size") + ")";
        return false;
    }
    out = std::move(data);
    return true;
}

// The six files of an archive, each the one entry of its name in any folder.
bool load_zip(const std::string& path, Files& out, std::string& error) {
    const std::string shown = shown_path(path);
    // Opened here so that only a regular file reaches libzip (a FIFO would block).
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = shown + ": " + std::strerror(errno);
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        error = shown + " is not a regular file";
        return false;
    }
    int code = 0;
    std::unique_ptr<zip_t, ArchiveDiscard> archive(zip_fdopen(fd, 0, &code));  // owns fd from here
    if (!archive) {
        close(fd);
        zip_error_t reason;
        zip_error_init_with_code(&reason, code);
        error = shown + " is not a zip archive libzip can read (" + zip_error_strerror(&reason) + ")";
        zip_error_fini(&reason);
        return false;
    }
    zip_int64_t entries[6] = {-1, -1, -1, -1, -1, -1};
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
        const int k = name ? rom_set_index(base_of(name)) : -1;
        if (k < 0) continue;
        if (entries[k] >= 0) {
            error = shown + " holds " + kRomSetNames[k] + " twice";
            return false;
        }
        entries[k] = i;
    }
    for (size_t k = 0; k < kRomSetNames.size(); ++k) {
        if (entries[k] < 0) {
            error = shown + " holds no " + kRomSetNames[k];
            return false;
        }
    }
    for (size_t k = 0; k < kRomSetNames.size(); ++k)
        if (!check_entry_size(archive.get(), entries[k], shown + ": " + kRomSetNames[k], error)) return false;
    Files files;
    for (size_t k = 0; k < kRomSetNames.size(); ++k)
        if (!read_entry(archive.get(), entries[k], shown + ": " + kRomSetNames[k], files[k], error)) return false;
    out = std::move(files);
    return true;
}

}  // namespace

bool load_rom_set(const std::string& given, RomSetFiles& files, std::string& error) {
    if (given.empty()) {
        error = "no content path was given";
        return false;
    }
    std::string path = given;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        const int reason = errno;  // before shown_path, which may change it
        error = shown_path(path) + (reason == ENOENT || reason == ENOTDIR ? std::string(" does not exist")
                                                                           : ": " + std::string(std::strerror(reason)));
        return false;
    }
    Files loaded;
    std::string directory;
    if (S_ISDIR(st.st_mode)) {
        directory = path;
        if (!load_directory(directory, loaded, error)) return false;
    } else if (is_zip_name(path)) {
        directory = parent_of(path);
        if (!load_zip(path, loaded, error)) return false;
    } else if (rom_set_index(base_of(path)) >= 0) {
        directory = parent_of(path);
        if (!load_directory(directory, loaded, error)) return false;
    } else {
        error = shown_path(path) + " is not a ROM set: give its directory, one of its six files (" + all_names() +
                ") or a .zip of them";
        return false;
    }
    files.data = std::move(loaded);
    files.directory = directory;
    return true;
}
