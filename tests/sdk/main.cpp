// Uses a few exported classes through <pelrudo/pelrudo.h> and fails loudly when they misbehave.
#include <pelrudo/pelrudo.h>

#include <cstdio>

static int failures = 0;

static void Expect(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "sdk-consumer: %s failed\n", what);
        ++failures;
    }
}

int main()
{
    Expect(CFunction::NumToStr(-2147483647 - 1) == u"-2147483648", "CFunction::NumToStr");
    Expect(CFunction::StrToNum(u" 4.5 ") == 45, "CFunction::StrToNum");
    Expect(CFunction::DWORD2Hex(255) == u"000000FF", "CFunction::DWORD2Hex");

    CRegistry reg;
    Expect(reg.Open(HKEY_LOCAL_MACHINE, u"SOFTWARE\\PelrudoSdk\\", 1) != 0, "CRegistry::Open");
    Expect(reg.WriteString(u"Name", u"consumer") != 0, "CRegistry::WriteString");
    CString value;
    Expect(reg.ReadString(u"Name", value) != 0 && value == u"consumer", "CRegistry::ReadString");
    reg.Close();

    std::printf(failures == 0 ? "sdk-consumer: ok\n" : "sdk-consumer: %d failures\n", failures);
    return failures == 0 ? 0 : 1;
}
