#pragma once

#include <QtGlobal>

// One file's data on its way into a box (sealing) or out of it (opening), chunk by chunk, in
// order from chunk 0.
class ChunkTransform
{
public:
    enum class Outcome {
        Done,
        Rekeyed,     // the shared key it worked under was replaced: nothing more is valid
        NotAuthentic // the chunk was altered, moved or cut: its bytes must not be used
    };

    virtual ~ChunkTransform() = default;
    // The bytes a chunk of n plain bytes takes in the box.
    virtual qint64 storedBytes(qint64 n) const = 0;
    // Chunk index, of n plain bytes, from in to out (which may be in): sealing reads n bytes and
    // writes storedBytes(n); opening the other way round. last marks the file's final chunk.
    virtual Outcome apply(qint64 index, const char *in, qint64 n, char *out, bool last) = 0;
    // False once a shared key it works under was replaced, even if every chunk so far was
    // transformed in time: a step that saw its key taken is not trusted to be whole.
    virtual bool keyHeld() const { return true; }
};
