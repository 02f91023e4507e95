// The update library shipped with the program, "update.so" beside the
// executable. There is no update service to ask, so _SprVer checks
// nothing, shows nothing and never asks the program to end.
//
// Interface (ARCHITECTURE.md): extern "C" int _SprVer(const char* name,
// const char* version, const char* title, int mode); a non-zero lowest byte
// of the result ends the program. The names begin with an underscore and a
// capital, which C++ reserves, so they are given as assembler labels.

extern "C" int SprVer(const char* name, const char* version, const char* title, int mode) __asm__("_SprVer")
    __attribute__((visibility("default")));

extern "C" int SprVer(const char*, const char*, const char*, int)
{
    return 0;
}
