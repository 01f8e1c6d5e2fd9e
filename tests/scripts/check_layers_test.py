#!/usr/bin/env python3
"""scripts/check-layers on a configured copy of the tree: clean as it stands, and each fault put
into the copy (an include up or across a layer in each form the compiler takes: quoted, angled,
relative, through a macro, as a digraph, split by a line splice, with a comment before the path,
by a path that leaves the tree and comes back, through a header outside every part, an .inl or
.hpp file or a symbolic link; folders of a part including each other, files of the framework
including each other (a source of a class's own among them), an include of test code,
a library declared wrongly, through an umbrella, by a later link call or not placed, in the
library and in the programs on it) reported with its own line.

The copy is configured as the build under test is, and starts from what the check learnt of that
build's sources (the cache in its build folder, the check's own names of files relative to the
tree): only what a case changes is read again. Each group of cases runs on a copy of its own, so
that the groups run side by side. Usage: check_layers_test.py SOURCE_DIR [BUILD_DIR [GROUP]]"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else None
BUILD = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else None
GROUP = sys.argv[3] if len(sys.argv) > 3 else None
# What configuring the tree reads, and the check itself.
COPIED = ["platform", "inhouse", "common", "Libraries", "framework", "hardware", "mappers", "schema",
          "provider", "bus", "simulation", "tools", "bench", "scripts", "cmake", "tests", "db", "CMakeLists.txt"]
# The folder the copy's source tree is in, so that a path can leave the tree and come back.
TREE = "tree"


def include(path, header, form='"{}"'):
    return (path, lambda text: text + "\n#include " + form.format(header) + "\n")


def cmake(path, old, new):
    return (path, lambda text: text.replace(old, new) if old in text else None)


def text(path, added):
    return (path, lambda old: old + added)


def new_file(path, content):
    return (path, lambda old: content)


class Link:
    """A symbolic link planted at the path, to the target (relative to the link's folder)."""

    def __init__(self, target):
        self.target = target


# The include of a higher part that each include form below writes into a mapper.
MAPPER = "mappers/records/CWmipAccessGroupMapper.cpp"
UP = "provider/CWmipApp.h"
UP_FAULTS = ["mappers/records includes provider/CWmipApp.h of provider, which is not below it",
             "mappers/records/CMakeLists.txt: provixa_mappers_records includes provixa_provider but does not declare it"]


# (what is changed, the lines the check must report: a text each holds, or a tuple of texts one
# line holds together), by group. Each change is made alone.
GROUPS = {
    "IncludesOfAHigherPart": [
        ("a platform library includes one above it",
         [include("platform/com/VariantConverter.cpp", "platform/mfc/CString.h")],
         ["platform/com includes platform/mfc/CString.h of platform/mfc, which is not below it",
          "platform/com/CMakeLists.txt: platform_com includes platform_mfc but does not declare it"]),
        ("the directories include the login library above them",
         [include("inhouse/BntDirectories/Directory.cpp", "inhouse/BntLogin/CAcsUser.h")],
         ["inhouse/BntDirectories includes inhouse/BntLogin/CAcsUser.h of inhouse/BntLogin, which is not below it",
          "inhouse/BntDirectories/CMakeLists.txt: inhouse_BntDirectories includes inhouse_BntLogin but does not declare it"]),
        ("an in-house library includes another of its own layer",
         [include("inhouse/BntUdf/LUDFDbMgr.cpp", "inhouse/BntCore/CBntIDGenerator.h")],
         ["inhouse/BntUdf includes inhouse/BntCore/CBntIDGenerator.h of inhouse/BntCore, which is not below it",
          "inhouse/BntUdf/CMakeLists.txt: inhouse_BntUdf includes inhouse_BntCore but does not declare it"]),
        ("the host includes test code",
         [include("tools/provixa/ProvixaSimulation.cpp", "tests/support/TemporaryHome.h")],
         ["tools/provixa includes tests/support/TemporaryHome.h, which is test code"]),
        ("the library includes the simulated servers",
         [include("provider/CWmipApp.cpp", "simulation/SimulatedCfgServer.h")],
         ["provider includes simulation/SimulatedCfgServer.h of simulation, which is not below it",
          "provider/CMakeLists.txt: provixa_provider includes provixa_simulated_servers but does not declare it"]),
        ("a mapper includes the provider in angle brackets",
         [include("mappers/records/CWmipAccessGroupMapper.cpp", "provider/CWmipApp.h", "<{}>")],
         ["mappers/records includes provider/CWmipApp.h of provider, which is not below it",
          "mappers/records/CMakeLists.txt: provixa_mappers_records includes provixa_provider but does not declare it"]),
        ("a mapper includes the provider by a path relative to itself",
         [include("mappers/devices/AlarmInputBlock.cpp", "../../provider/CWmipApp.h")],
         ["mappers/devices includes provider/CWmipApp.h of provider, which is not below it",
          "mappers/devices/CMakeLists.txt: provixa_mappers_devices includes provixa_provider but does not declare it"]),
        ("the benchmarks include the simulated servers without declaring them",
         [include("bench/main.cpp", "simulation/SimulatedCfgServer.h", "<{}>")],
         ["bench/CMakeLists.txt: provixa_bench includes provixa_simulated_servers but does not declare it"]),
        ("the WQL folder includes the framework folder above it",
         [include("framework/wql/WqlParser.cpp", "framework/CWmipQuery.h")],
         ["the folders framework, framework/wql include each other round a cycle",
          ("files of framework include each other round a circle", "includes framework/CWmipQuery.h")]),
    ],
    "IncludeForms": [
        ("a mapper includes the provider through a macro",
         [text(MAPPER, f'\n#define PROVIDER_APP "{UP}"\n#include PROVIDER_APP\n')], UP_FAULTS),
        ("a mapper includes the provider as a digraph",
         [text(MAPPER, f'\n%:include "{UP}"\n')], UP_FAULTS),
        ("a mapper includes the provider split by a line splice",
         [text(MAPPER, f'\n#inc\\\nlude "{UP}"\n')], UP_FAULTS),
        ("a mapper includes the provider with a comment before the path",
         [text(MAPPER, f'\n#include /* the application */ "{UP}"\n')], UP_FAULTS),
        ("a mapper includes the provider by a path that leaves the tree and comes back",
         [include(MAPPER, f"../../../{TREE}/{UP}")], UP_FAULTS),
        ("a mapper includes a header outside every part that includes the provider",
         [new_file("umbrella/All.h", f'#pragma once\n#include "{UP}"\n'), include(MAPPER, "umbrella/All.h")],
         ["mappers/records includes umbrella/All.h, which is in no part"]),
        ("a mapper includes an .inl file that includes the provider",
         [new_file("mappers/records/Planted.inl", f'#include "{UP}"\n'), include(MAPPER, "mappers/records/Planted.inl")],
         UP_FAULTS),
        ("a mapper includes an .hpp file that includes the provider",
         [new_file("mappers/records/Planted.hpp", f'#include "{UP}"\n'), include(MAPPER, "mappers/records/Planted.hpp")],
         UP_FAULTS),
        ("a mapper includes a symbolic link to a provider header",
         [("mappers/records/Planted.h", Link("../../provider/CWmipApp.h")), include(MAPPER, "mappers/records/Planted.h")],
         UP_FAULTS),
    ],
    "DeclaredLibraries": [
        ("a library leaves out one it includes and declares one it does not",
         # The registry, like the security library, brings no compile flag of its own: the
         # sources compile as before, and nothing is read again.
         [cmake("platform/wmi/CMakeLists.txt", "platform_security", "platform_registry")],
         ["platform/wmi/CMakeLists.txt: platform_wmi includes platform_security but does not declare it",
          "platform/wmi/CMakeLists.txt: platform_wmi declares platform_registry but includes none of it"]),
    ],
    "LinkCallsAndPlaces": [
        ("the framework declares the platform umbrella instead of a library it includes",
         [cmake("framework/CMakeLists.txt", "platform_xml", "platform")],
         ["framework/CMakeLists.txt: provixa_framework declares the umbrella platform, not the libraries it includes",
          "framework/CMakeLists.txt: provixa_framework includes platform_xml but does not declare it"]),
        ("the host leaves out a platform library it includes",
         [cmake("tools/provixa/CMakeLists.txt", " platform_qpid", "")],
         ["tools/provixa/CMakeLists.txt: provixa_host includes platform_qpid but does not declare it"]),
        ("a mapper library links the provider in a later call",
         [text("mappers/records/CMakeLists.txt", "\ntarget_link_libraries(provixa_mappers_records PUBLIC provixa_provider)\n")],
         ["mappers/records/CMakeLists.txt: provixa_mappers_records declares provixa_provider but includes none of it"]),
        ("a library folder the order does not place",
         [("platform/extra/CMakeLists.txt", lambda text: "provixa_add_library(platform_extra)\n")],
         ["platform/extra: a library that LIBRARIES does not place"]),
    ],
    "FileCircles": [
        ("two framework files include each other",
         [new_file("framework/PlantedA.h", "#pragma once\n"),
          new_file("framework/PlantedA.cpp", '#include "framework/PlantedA.h"\n#include "framework/PlantedB.h"\n'),
          new_file("framework/PlantedB.h", "#pragma once\n"),
          new_file("framework/PlantedB.cpp", '#include "framework/PlantedB.h"\n#include "framework/PlantedA.h"\n')],
         ["framework/PlantedA.cpp:2: files of framework include each other round a circle: "
          "framework/PlantedA.cpp:2 includes framework/PlantedB.h; "
          "framework/PlantedB.cpp:2 includes framework/PlantedA.h"]),
        ("a framework file includes a class whose second source includes it",
         [new_file("framework/PlantedA.h", "#pragma once\n"),
          new_file("framework/PlantedA.cpp", '#include "framework/PlantedA.h"\n'),
          new_file("framework/PlantedAWrites.cpp", '#include "framework/PlantedA.h"\n#include "framework/PlantedB.h"\n'),
          new_file("framework/PlantedB.h", "#pragma once\n"),
          new_file("framework/PlantedB.cpp", '#include "framework/PlantedB.h"\n#include "framework/PlantedA.h"\n')],
         ["framework/PlantedAWrites.cpp:2: files of framework include each other round a circle: "
          "framework/PlantedAWrites.cpp:2 includes framework/PlantedB.h; "
          "framework/PlantedB.cpp:2 includes framework/PlantedA.h"]),
    ],
}
CASES = [case for cases in GROUPS.values() for case in cases]


# What the check learns of the sources, in the build folder (scripts/check-layers).
CACHE = "check-layers-cache.json"
# The settings of the build under test that its compile commands follow (each configuration's
# flags and its unity batches among them).
SETTINGS = re.compile(r"^(CMAKE_BUILD_TYPE|CMAKE_(C|CXX)_COMPILER|CMAKE_(C|CXX)_FLAGS(?:_[A-Z]+)?|CMAKE_[A-Z]+_LINKER_FLAGS|"
                      r"CMAKE_UNITY_BUILD\w*|PROVIXA_\w+)"
                      r":([A-Z]+)=(.*)$")


def configured_as(build):
    """The configure arguments that give a copy of the tree the compile commands of the build
    folder (the plain release build where none is given)."""
    if build is None:
        return ["-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo"]
    arguments = []
    with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8") as cache:
        for line in cache.read().splitlines():
            if line.startswith("CMAKE_GENERATOR:INTERNAL="):
                arguments += ["-G", line.split("=", 1)[1]]
            setting = SETTINGS.match(line)
            if setting and setting.group(4) != "INTERNAL":
                arguments.append(f"-D{setting.group(1)}:{setting.group(4)}={setting.group(5)}")
    return arguments


class CheckLayers(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.home = tempfile.TemporaryDirectory()
        cls.root = os.path.join(cls.home.name, TREE)
        for name in COPIED:
            source = os.path.join(SOURCE, name)
            if os.path.isdir(source):
                shutil.copytree(source, os.path.join(cls.root, name), symlinks=True)
            else:
                shutil.copy2(source, os.path.join(cls.root, name))
        cls.build = os.path.join(cls.root, "build")
        subprocess.run(["cmake", "-S", cls.root, "-B", cls.build] + configured_as(BUILD),
                       stdout=subprocess.DEVNULL, check=True)
        learnt = os.path.join(BUILD, CACHE) if BUILD else None
        if learnt and os.path.exists(learnt):
            shutil.copy2(learnt, os.path.join(cls.build, CACHE))

    @classmethod
    def tearDownClass(cls):
        cls.home.cleanup()

    def check(self):
        run = subprocess.run([sys.executable, os.path.join(self.root, "scripts", "check-layers"), self.build],
                             capture_output=True, text=True, check=False)
        return run.returncode, run.stdout.splitlines()

    def test_the_tree_as_it_stands_is_clean_and_each_fault_is_reported_alone(self):
        self.assertEqual(self.check(), (0, []))
        for what, changes, expected in GROUPS[GROUP] if GROUP else CASES:
            with self.subTest(what):
                kept = {}
                try:
                    for path, change in changes:
                        full = os.path.join(self.root, path)
                        kept[full] = None
                        if os.path.exists(full):
                            with open(full, encoding="utf-8") as source:
                                kept[full] = source.read()
                        elif not os.path.isdir(os.path.dirname(full)):
                            os.makedirs(os.path.dirname(full))
                            kept[os.path.dirname(full)] = "folder"
                        if isinstance(change, Link):
                            os.symlink(change.target, full)
                            continue
                        changed = change(kept[full] or "")
                        self.assertIsNotNone(changed, f"{path} no longer holds what the case changes")
                        with open(full, "w", encoding="utf-8") as out:
                            out.write(changed)
                    status, lines = self.check()
                    self.assertEqual(status, 1, lines)
                    for line in expected:
                        # A tuple: texts that one line holds together.
                        texts = line if isinstance(line, tuple) else (line,)
                        self.assertTrue(any(all(text in fault for text in texts) for fault in lines),
                                        f"missing: {line}\ngot: {lines}")
                    self.assertEqual(len(lines), len(expected), lines)
                finally:
                    for full, old in reversed(kept.items()):
                        if old == "folder":
                            shutil.rmtree(full)
                        elif old is None:
                            if os.path.lexists(full):
                                os.remove(full)
                        else:
                            with open(full, "w", encoding="utf-8") as out:
                                out.write(old)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
