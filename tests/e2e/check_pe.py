#!/usr/bin/env python3
"""Checks the headers of the two shipped files.

Usage: check_pe.py LAUNCHER_EXE APPLET_CPL VERSION

Both must be 32-bit x86 files that Windows loads with ASLR and DEP, and import
nothing but system DLLs. The launcher is a GUI program without USER32 or
SHELL32 among its imports: a process with USER32 loaded makes WinExec wait
for the program it starts. The applet is a DLL whose one export is the
undecorated CPlApplet that Control Panel looks up by name. Both carry the
version information Windows shows in their properties, and the launcher a
manifest that runs it as invoker with UTF-8 as its code page.
"""

import sys

try:
    import pefile
except ImportError:
    sys.exit("check_pe: the pefile module is missing; install Debian's "
             "python3-pefile (scripts/install-dependencies.sh) and run this "
             "with /usr/bin/python3")

SYSTEM_DLLS = {"kernel32.dll", "advapi32.dll", "user32.dll", "shell32.dll",
               "msvcrt.dll"}
NOT_IN_LAUNCHER = {"user32.dll", "shell32.dll"}

MACHINE_I386 = pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]
PE32 = pefile.OPTIONAL_HEADER_MAGIC_PE
GUI = pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]
DLL = pefile.IMAGE_CHARACTERISTICS["IMAGE_FILE_DLL"]
RELOCS_STRIPPED = pefile.IMAGE_CHARACTERISTICS["IMAGE_FILE_RELOCS_STRIPPED"]
DYNAMIC_BASE = pefile.DLL_CHARACTERISTICS[
    "IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE"]
NX_COMPAT = pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_NX_COMPAT"]
BASERELOC = pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]


def imported_dlls(pe):
    """Every DLL the loader brings in for the file, delay-loaded ones too."""
    names = []
    for attribute in ("DIRECTORY_ENTRY_IMPORT", "DIRECTORY_ENTRY_DELAY_IMPORT"):
        for entry in getattr(pe, attribute, []):
            names.append(entry.dll.decode("ascii", "replace"))
    return names


def check_common(path, pe, problems):
    """What both shipped files must be; appends a line per fault."""
    def problem(text):
        problems.append(f"{path}: {text}")

    if pe.FILE_HEADER.Machine != MACHINE_I386:
        problem(f"machine is {pe.FILE_HEADER.Machine:#06x}, "
                f"want i386 ({MACHINE_I386:#06x})")
    if pe.OPTIONAL_HEADER.Magic != PE32:
        problem(f"optional header magic is {pe.OPTIONAL_HEADER.Magic:#x}, "
                f"want PE32 ({PE32:#x})")

    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    for name, bit in (("DYNAMIC_BASE", DYNAMIC_BASE), ("NX_COMPAT", NX_COMPAT)):
        if not flags & bit:
            problem(f"DllCharacteristics {flags:#06x} lacks {name}")
    # Without relocations the loader cannot move the file: ASLR in name only.
    relocations = pe.OPTIONAL_HEADER.DATA_DIRECTORY[BASERELOC]
    if (pe.FILE_HEADER.Characteristics & RELOCS_STRIPPED
            or relocations.VirtualAddress == 0 or relocations.Size == 0):
        problem("has no base relocations, so it cannot be loaded at "
                "another address")

    dlls = imported_dlls(pe)
    foreign = [dll for dll in dlls if dll.lower() not in SYSTEM_DLLS]
    if foreign:
        problem(f"imports DLLs outside {sorted(SYSTEM_DLLS)}: {foreign}")
    return dlls


def check_version(path, pe, description, version, problems):
    """The VERSIONINFO strings and numbers of one file."""
    want = {"CompanyName": "Orrindale", "ProductName": "Vellumark",
            "FileDescription": description,
            "OriginalFilename": path.replace("\\", "/").split("/")[-1],
            "FileVersion": version, "ProductVersion": version}
    strings = {}
    for info in pe.FileInfo[0] if hasattr(pe, "FileInfo") else []:
        if info.Key == b"StringFileInfo":
            for table in info.StringTable:
                for key, value in table.entries.items():
                    strings[key.decode()] = value.decode()
    for key, value in want.items():
        if strings.get(key) != value:
            problems.append(f"{path}: version string {key} is "
                            f"{strings.get(key)!r}, want {value!r}")
    numbers = [int(part) for part in version.split(".")] + [0]
    fixed = getattr(pe, "VS_FIXEDFILEINFO", [None])[0]
    packed = (numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3])
    if fixed is None or (fixed.FileVersionMS, fixed.FileVersionLS) != packed:
        problems.append(f"{path}: fixed file version is not {version}")


def manifest_of(pe):
    """The text of the RT_MANIFEST resource with id 1, or ''."""
    resources = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for kind in resources.entries if resources else []:
        if kind.id != pefile.RESOURCE_TYPE["RT_MANIFEST"]:
            continue
        for name in kind.directory.entries:
            if name.id != 1:
                continue
            for language in name.directory.entries:
                data = language.data.struct
                return pe.get_data(data.OffsetToData, data.Size).decode()
    return ""


def check_launcher(path, version, problems):
    pe = pefile.PE(path)
    dlls = check_common(path, pe, problems)
    check_version(path, pe, "Vellumark launcher", version, problems)
    manifest = manifest_of(pe)
    for needed in ('level="asInvoker"', ">UTF-8</activeCodePage>"):
        if needed not in manifest:
            problems.append(f"{path}: manifest lacks {needed}")
    if pe.OPTIONAL_HEADER.Subsystem != GUI:
        problems.append(f"{path}: subsystem is {pe.OPTIONAL_HEADER.Subsystem}, "
                        f"want the Windows GUI ({GUI})")
    if pe.FILE_HEADER.Characteristics & DLL:
        problems.append(f"{path}: is marked as a DLL")
    loaded_early = [dll for dll in dlls if dll.lower() in NOT_IN_LAUNCHER]
    if loaded_early:
        problems.append(f"{path}: imports {loaded_early}; WinExec would wait "
                        "for the started program")


def check_applet(path, version, problems):
    pe = pefile.PE(path)
    check_common(path, pe, problems)
    check_version(path, pe, "Vellumark Control Panel applet", version, problems)
    if not pe.FILE_HEADER.Characteristics & DLL:
        problems.append(f"{path}: is not a DLL")
    exports = getattr(pe, "DIRECTORY_ENTRY_EXPORT", None)
    symbols = exports.symbols if exports else []
    described = [(s.name.decode("ascii", "replace") if s.name else
                  f"ordinal {s.ordinal}") for s in symbols]
    if described != ["CPlApplet"]:
        problems.append(f"{path}: exports {described}, want only CPlApplet")
    elif symbols[0].forwarder is not None:
        problems.append(f"{path}: CPlApplet is forwarded to "
                        f"{symbols[0].forwarder!r}")


def main(argv):
    if len(argv) != 4:
        sys.exit("usage: check_pe.py LAUNCHER_EXE APPLET_CPL VERSION")
    problems = []
    check_launcher(argv[1], argv[3], problems)
    check_applet(argv[2], argv[3], problems)
    for line in problems:
        print(f"FAIL: {line}", file=sys.stderr)
    if not problems:
        print(f"ok: {argv[1]} and {argv[2]}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
