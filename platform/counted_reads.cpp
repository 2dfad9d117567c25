#include "platform/counted_reads.h"

namespace kb::platform {
namespace {

// ---- A file input stream that passes everything to the local file's own stream and counts
// the bytes that come through.

struct KbCountedStream {
    GFileInputStream parent_instance;
    GFileInputStream* inner;
    std::atomic<uint64_t>* count;
};
struct KbCountedStreamClass {
    GFileInputStreamClass parent_class;
};

G_DEFINE_TYPE(KbCountedStream, kb_counted_stream, G_TYPE_FILE_INPUT_STREAM)

KbCountedStream* AsStream(gpointer p) { return reinterpret_cast<KbCountedStream*>(p); }

void Count(KbCountedStream* s, gssize n) {
    if (n > 0) s->count->fetch_add(static_cast<uint64_t>(n), std::memory_order_relaxed);
}

gssize StreamRead(GInputStream* stream, void* buffer, gsize size, GCancellable* c, GError** e) {
    KbCountedStream* s = AsStream(stream);
    const gssize n = g_input_stream_read(G_INPUT_STREAM(s->inner), buffer, size, c, e);
    Count(s, n);
    return n;
}

// Bytes passed over are bytes of the file done with, as far as progress goes.
gssize StreamSkip(GInputStream* stream, gsize size, GCancellable* c, GError** e) {
    KbCountedStream* s = AsStream(stream);
    const gssize n = g_input_stream_skip(G_INPUT_STREAM(s->inner), size, c, e);
    Count(s, n);
    return n;
}

gboolean StreamClose(GInputStream* stream, GCancellable* c, GError** e) {
    return g_input_stream_close(G_INPUT_STREAM(AsStream(stream)->inner), c, e);
}

goffset StreamTell(GFileInputStream* stream) {
    return g_seekable_tell(G_SEEKABLE(AsStream(stream)->inner));
}

gboolean StreamCanSeek(GFileInputStream* stream) {
    return g_seekable_can_seek(G_SEEKABLE(AsStream(stream)->inner));
}

gboolean StreamSeek(GFileInputStream* stream, goffset offset, GSeekType type, GCancellable* c,
                    GError** e) {
    return g_seekable_seek(G_SEEKABLE(AsStream(stream)->inner), offset, type, c, e);
}

GFileInfo* StreamQueryInfo(GFileInputStream* stream, const char* attributes, GCancellable* c,
                           GError** e) {
    return g_file_input_stream_query_info(AsStream(stream)->inner, attributes, c, e);
}

// The parent's dispose closes a stream still open, through StreamClose: the local file's stream
// goes after that.
void StreamDispose(GObject* object) {
    G_OBJECT_CLASS(kb_counted_stream_parent_class)->dispose(object);
    g_clear_object(&AsStream(object)->inner);
}

void kb_counted_stream_class_init(KbCountedStreamClass* klass) {
    G_OBJECT_CLASS(klass)->dispose = StreamDispose;
    GInputStreamClass* input = G_INPUT_STREAM_CLASS(klass);
    input->read_fn = StreamRead;
    input->skip = StreamSkip;
    input->close_fn = StreamClose;
    GFileInputStreamClass* file = G_FILE_INPUT_STREAM_CLASS(klass);
    file->tell = StreamTell;
    file->can_seek = StreamCanSeek;
    file->seek = StreamSeek;
    file->query_info = StreamQueryInfo;
}

void kb_counted_stream_init(KbCountedStream* s) {
    s->inner = nullptr;
    s->count = nullptr;
}

// ---- The file: the local file's own answers, its reads through the counting stream.

struct KbCountedFile {
    GObject parent_instance;
    GFile* inner;
    std::atomic<uint64_t>* count;
};
struct KbCountedFileClass {
    GObjectClass parent_class;
};

void kb_counted_file_iface_init(GFileIface* iface);

G_DEFINE_TYPE_WITH_CODE(KbCountedFile, kb_counted_file, G_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(G_TYPE_FILE, kb_counted_file_iface_init))

KbCountedFile* AsFile(gpointer p) { return reinterpret_cast<KbCountedFile*>(p); }
GFile* Inner(GFile* file) { return AsFile(file)->inner; }

// Takes over the reference to `inner`.
GFile* Wrap(GFile* inner, std::atomic<uint64_t>* count) {
    auto* f = AsFile(g_object_new(kb_counted_file_get_type(), nullptr));
    f->inner = inner;
    f->count = count;
    return G_FILE(f);
}

GFile* FileDup(GFile* file) { return Wrap(g_file_dup(Inner(file)), AsFile(file)->count); }
guint FileHash(GFile* file) { return g_file_hash(Inner(file)); }
gboolean FileEqual(GFile* a, GFile* b) { return g_file_equal(Inner(a), Inner(b)); }
gboolean FileIsNative(GFile* file) { return g_file_is_native(Inner(file)); }
gboolean FileHasUriScheme(GFile* file, const char* scheme) {
    return g_file_has_uri_scheme(Inner(file), scheme);
}
char* FileGetUriScheme(GFile* file) { return g_file_get_uri_scheme(Inner(file)); }
char* FileGetBasename(GFile* file) { return g_file_get_basename(Inner(file)); }
char* FileGetPath(GFile* file) { return g_file_get_path(Inner(file)); }
char* FileGetUri(GFile* file) { return g_file_get_uri(Inner(file)); }
char* FileGetParseName(GFile* file) { return g_file_get_parse_name(Inner(file)); }
GFile* FileGetParent(GFile* file) { return g_file_get_parent(Inner(file)); }
gboolean FilePrefixMatches(GFile* prefix, GFile* file) {
    return g_file_has_prefix(Inner(file), Inner(prefix));
}
char* FileGetRelativePath(GFile* parent, GFile* descendant) {
    return g_file_get_relative_path(Inner(parent), Inner(descendant));
}
GFile* FileResolveRelativePath(GFile* file, const char* relative) {
    return g_file_resolve_relative_path(Inner(file), relative);
}
GFileInfo* FileQueryInfo(GFile* file, const char* attributes, GFileQueryInfoFlags flags,
                         GCancellable* c, GError** e) {
    return g_file_query_info(Inner(file), attributes, flags, c, e);
}

GFileInputStream* FileRead(GFile* file, GCancellable* c, GError** e) {
    GFileInputStream* inner = g_file_read(Inner(file), c, e);
    if (inner == nullptr) return nullptr;
    KbCountedStream* s = AsStream(g_object_new(kb_counted_stream_get_type(), nullptr));
    s->inner = inner;
    s->count = AsFile(file)->count;
    return G_FILE_INPUT_STREAM(s);
}

void kb_counted_file_iface_init(GFileIface* iface) {
    iface->dup = FileDup;
    iface->hash = FileHash;
    iface->equal = FileEqual;
    iface->is_native = FileIsNative;
    iface->has_uri_scheme = FileHasUriScheme;
    iface->get_uri_scheme = FileGetUriScheme;
    iface->get_basename = FileGetBasename;
    iface->get_path = FileGetPath;
    iface->get_uri = FileGetUri;
    iface->get_parse_name = FileGetParseName;
    iface->get_parent = FileGetParent;
    iface->prefix_matches = FilePrefixMatches;
    iface->get_relative_path = FileGetRelativePath;
    iface->resolve_relative_path = FileResolveRelativePath;
    iface->query_info = FileQueryInfo;
    iface->read_fn = FileRead;
}

void FileDispose(GObject* object) {
    g_clear_object(&AsFile(object)->inner);
    G_OBJECT_CLASS(kb_counted_file_parent_class)->dispose(object);
}

void kb_counted_file_class_init(KbCountedFileClass* klass) {
    G_OBJECT_CLASS(klass)->dispose = FileDispose;
}

void kb_counted_file_init(KbCountedFile* f) {
    f->inner = nullptr;
    f->count = nullptr;
}

}  // namespace

GFile* NewCountedFile(const std::string& path, std::atomic<uint64_t>* count) {
    return Wrap(g_file_new_for_path(path.c_str()), count);
}

}  // namespace kb::platform
