#!/usr/bin/env python3
"""Runs tools/check_skin.py on the English skin, and on damaged copies of it to make sure the
checker notices what the program would trip over."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CHECKER = os.path.join(REPO, "tools", "check_skin.py")
SKIN = os.path.join(REPO, "skin", "ConifgENRes")


def run(skin=SKIN, dist=os.path.join(REPO, "dist")):
    p = subprocess.run([sys.executable, CHECKER, "--skin", skin, "--dist", dist],
                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return p.returncode, p.stdout


class EnglishSkin(unittest.TestCase):
    def test_passes_every_check(self):
        code, out = run()
        self.assertEqual(code, 0, out)
        self.assertIn(" 0 failures", out)


class DamagedSkin(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.skin = os.path.join(self.dir, "skin")
        shutil.copytree(SKIN, self.skin)

    def tearDown(self):
        shutil.rmtree(self.dir)

    def edit(self, file, old, new):
        path = os.path.join(self.skin, file)
        text = open(path, encoding="utf-8").read()
        self.assertIn(old, text)
        open(path, "w", encoding="utf-8").write(text.replace(old, new, 1))

    def failures(self):
        code, out = run(self.skin)
        self.assertEqual(code, 1, out)
        return [l for l in out.splitlines() if l.startswith("FAIL:")]

    def assertReported(self, fragment):
        fails = self.failures()
        self.assertTrue(any(fragment in f for f in fails), "\n".join(fails) or "no failures")

    def test_renamed_parameter_control(self):
        self.edit("Service Centre.xml", 'name="Server5\'s Port"', 'name="Server5 Port"')
        self.assertReported("missing control \"Server5's Port\"")

    def test_parameter_on_the_wrong_page(self):
        # move the APN field's name to the global page
        self.edit("Wireless.xml", 'name="Access Point Name"', 'name="APN"')
        self.edit("Global Parameter.xml", 'name="Sms Center"', 'name="Access Point Name"')
        self.assertReported("'Access Point Name' is on page 5, expected page 4")

    def test_edit_where_a_combo_is_needed(self):
        self.edit("WorkTab.xml", 'name="Debug Level"', 'name="Debug Level choice"')
        self.edit("WorkTab.xml", 'name="ListenPort"', 'name="Debug Level"')
        self.assertReported("control 'Debug Level' is a Edit, expected Combobox")

    def test_work_mode_items_out_of_step_with_the_texts(self):
        self.edit("Language.ini", "Text3=Digital output", "Text3=Output")
        self.assertReported("'DIO1 workmode' item 2 is 'Digital output', expected 'Output'")

    def test_missing_message_text(self):
        self.edit("Language.ini", "szLoginOn=In setting mode", "szLoginOn=")
        self.assertReported("[SetDeviceState] szLoginOn is empty")

    def test_comment_the_reader_ends_early(self):
        self.edit("Lora.xml", "<!-- LoRa page", "<!-- LoRa -> page")
        self.assertReported("a comment holds '->'")

    def test_numeric_character_reference(self):
        self.edit("Zigbee.xml", 'text="RF channel"', 'text="RF&#32;channel"')
        self.assertReported("is not decoded by the reader")

    def test_duplicate_name(self):
        self.edit("GPS.xml", 'name="GPS GPGLL"', 'name="GPS GPGSV"')
        self.assertReported("'GPS GPGSV' is used 2 times")

    def test_missing_switch_image(self):
        os.remove(os.path.join(self.skin, "switch_enable.png"))
        self.assertReported("image 'switch_enable.png' is missing")

    def test_missing_page_file(self):
        os.remove(os.path.join(self.skin, "Zigbee.xml"))
        self.assertReported("page 8 (Zigbee) has no file 'Zigbee.xml'")

    def test_group_height_that_does_not_fit_its_rows(self):
        self.edit("Serial port.xml", 'inset="16,25,16,10" height="110">',
                  'inset="16,25,16,10" height="100">')
        self.assertReported("is 100 high")

    def test_rows_that_do_not_fill_the_height_a_rule_sets(self):
        # the administrator number joins the password's row: one row short of 110
        path = os.path.join(self.skin, "Equipment Management.xml")
        text = open(path, encoding="utf-8").read()
        label = text.index('<Label text="Administrator number"')
        a = text.rindex('<HorizontalLayout height="25"', 0, label)
        b = text.index("</HorizontalLayout>", text.index('name="DTU SMS administrator number"'))
        b = text.index("</HorizontalLayout>", b + 1) + len("</HorizontalLayout>")
        open(path, "w", encoding="utf-8").write(text[:a] + text[b:])
        self.assertReported("'DtumanageGroupBox1' at height 110")

    def test_page_whose_groups_are_not_wrapped_in_one_layout(self):
        # without the document element around it the page's layout is the root, so the builder
        # makes its group boxes the top-level controls and the page keeps only the first
        path = os.path.join(self.skin, "Wireless.xml")
        text = open(path, encoding="utf-8").read()
        text = text.replace("<Window>", "").replace("</Window>", "")
        open(path, "w", encoding="utf-8").write(text)
        self.assertReported("Wireless.xml: holds 4 top-level controls")

    def test_extra_option_would_switch_pages(self):
        self.edit("ComputerExamine.xml", '<Button name="AT+LIST"', '<Option name="AT+LIST"')
        self.assertReported("option 'AT+LIST' would switch pages")


if __name__ == "__main__":
    unittest.main()
