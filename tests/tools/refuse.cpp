// Preloaded in front of the program's libraries to make one kind of call fail, as on a
// machine that cannot give what the program asks for. REFUSE names which:
//   gfx_mode  every graphics mode is refused
//   stall     the graphics mode is never set: the call waits for ever, as on a server that
//             stopped answering
//   bitmap    no full-screen-sized bitmap can be made
//   memory    operator new runs out of memory
// Anything else, or nothing, passes every call through.
#include <allegro.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

bool refusing(const char* what) {
    const char* refuse = std::getenv("REFUSE");
    return refuse != nullptr && std::strcmp(refuse, what) == 0;
}

template <typename Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int set_gfx_mode(int card, int width, int height, int virtual_width,
                            int virtual_height) {
    using SetGfxMode = int (*)(int, int, int, int, int);
    static const SetGfxMode real = next<SetGfxMode>("set_gfx_mode");
    if (refusing("gfx_mode") && card != GFX_TEXT) {
        return -1;
    }
    while (refusing("stall") && card != GFX_TEXT) {
        pause();
    }
    return real(card, width, height, virtual_width, virtual_height);
}

extern "C" BITMAP* create_bitmap(int width, int height) {
    using CreateBitmap = BITMAP* (*)(int, int);
    static const CreateBitmap real = next<CreateBitmap>("create_bitmap");
    if (refusing("bitmap") && width == SCREEN_W && height == SCREEN_H) {
        return nullptr;
    }
    return real(width, height);
}

void* operator new(std::size_t size) {
    if (refusing("memory")) {
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}
