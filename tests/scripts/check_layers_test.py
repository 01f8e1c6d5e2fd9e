#!/usr/bin/env python3
"""scripts/check-layers on a copy of the tree: clean as it stands, and each fault put into the
copy (an include up or across a layer in each include form, folders of a part including each
other, an include of test code, a library declared wrongly, through an umbrella or not placed,
in the library and in the programs on it) reported with its own line. Usage: check_layers_test.py SOURCE_DIR"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else None
# The folders the check reads, and the check itself.
COPIED = ["platform", "inhouse", "common", "Libraries", "framework", "hardware", "mappers", "schema",
          "provider", "bus", "simulation", "tools", "bench", "scripts"]


def include(path, header, form='"{}"'):
    return (path, lambda text: text + "\n#include " + form.format(header) + "\n")


def cmake(path, old, new):
    return (path, lambda text: text.replace(old, new) if old in text else None)


# (what is changed, the lines the check must report). Each change is made alone.
CASES = [
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
    ("a library leaves out one it includes and declares one it does not",
     [cmake("platform/wmi/CMakeLists.txt", "platform_security", "platform_xml")],
     ["platform/wmi/CMakeLists.txt: platform_wmi includes platform_security but does not declare it",
      "platform/wmi/CMakeLists.txt: platform_wmi declares platform_xml but includes none of it"]),
    ("a mapper includes the provider in angle brackets",
     [include("mappers/records/CWmipAccessGroupMapper.cpp", "provider/CWmipApp.h", "<{}>")],
     ["mappers/records includes provider/CWmipApp.h of provider, which is not below it",
      "mappers/records/CMakeLists.txt: provixa_mappers_records includes provixa_provider but does not declare it"]),
    ("a mapper includes the provider by a path relative to itself",
     [include("mappers/devices/AlarmInputBlock.cpp", "../../provider/CWmipApp.h")],
     ["mappers/devices includes provider/CWmipApp.h of provider, which is not below it",
      "mappers/devices/CMakeLists.txt: provixa_mappers_devices includes provixa_provider but does not declare it"]),
    ("the framework declares the platform umbrella instead of a library it includes",
     [cmake("framework/CMakeLists.txt", "platform_xml", "platform")],
     ["framework/CMakeLists.txt: provixa_framework declares the umbrella platform, not the libraries it includes",
      "framework/CMakeLists.txt: provixa_framework includes platform_xml but does not declare it"]),
    ("the host leaves out a platform library it includes",
     [cmake("tools/provixa/CMakeLists.txt", " platform_qpid", "")],
     ["tools/provixa/CMakeLists.txt: provixa_host includes platform_qpid but does not declare it"]),
    ("the benchmarks include the simulated servers without declaring them",
     [include("bench/main.cpp", "simulation/SimulatedCfgServer.h", "<{}>")],
     ["bench/CMakeLists.txt: provixa_bench includes provixa_simulated_servers but does not declare it"]),
    ("the WQL folder includes the framework folder above it",
     [include("framework/wql/WqlParser.cpp", "framework/CWmipQuery.h")],
     ["the folders framework, framework/wql include each other round a cycle"]),
    ("a library folder the order does not place",
     [("platform/extra/CMakeLists.txt", lambda text: "provixa_add_library(platform_extra)\n")],
     ["platform/extra: a library that LIBRARIES does not place"]),
]


class CheckLayers(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.home = tempfile.TemporaryDirectory()
        cls.root = os.path.join(cls.home.name, "tree")
        for folder in COPIED:
            shutil.copytree(os.path.join(SOURCE, folder), os.path.join(cls.root, folder))

    @classmethod
    def tearDownClass(cls):
        cls.home.cleanup()

    def check(self):
        run = subprocess.run([sys.executable, os.path.join(self.root, "scripts", "check-layers")],
                             capture_output=True, text=True, check=False)
        return run.returncode, run.stdout.splitlines()

    def test_the_tree_as_it_stands_is_clean(self):
        self.assertEqual(self.check(), (0, []))

    def test_each_fault_is_reported_alone(self):
        for what, changes, expected in CASES:
            with self.subTest(what):
                kept = {}
                try:
                    for path, change in changes:
                        full = os.path.join(self.root, path)
                        kept[full] = None
                        if os.path.exists(full):
                            with open(full, encoding="utf-8") as source:
                                kept[full] = source.read()
                        os.makedirs(os.path.dirname(full), exist_ok=True)
                        changed = change(kept[full] or "")
                        self.assertIsNotNone(changed, f"{path} no longer holds what the case changes")
                        with open(full, "w", encoding="utf-8") as out:
                            out.write(changed)
                    status, lines = self.check()
                    self.assertEqual(status, 1)
                    for line in expected:
                        self.assertTrue(any(line in fault for fault in lines), f"missing: {line}\ngot: {lines}")
                    self.assertEqual(len(lines), len(expected), lines)
                finally:
                    for full, text in kept.items():
                        if text is None:
                            shutil.rmtree(os.path.dirname(full))
                        else:
                            with open(full, "w", encoding="utf-8") as out:
                                out.write(text)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
