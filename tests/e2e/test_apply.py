"""Applying the drawn image: the four policy values, refused launches and the
log that records them."""

import os
import unittest

from harness import targets
from scenario import DATE_TIME, WRITE_ERRORS, ScenarioTest, split_log

LIMIT = 1048576


class ApplyTest(ScenarioTest):
    def setUp(self):
        super().setUp()
        self.pictures = os.path.join(self.scratch, "my pictures")
        self.image = self.write(os.path.join(self.pictures, "sea view.jpg"))
        self.set_setting("Random", "1", "REG_DWORD")
        self.set_setting("ImageDir", self.target.windows_path(self.pictures))

    def test_sets_the_four_policy_values(self):
        self.run_silently()
        self.assert_policy_applied(self.target.windows_path(self.image))
        self.assertIsNone(self.log())

    def test_refused_launches_give_four_lines_in_order(self):
        self.target.refuse_launches()
        self.run_silently()
        self.assertEqual(self.policy_values(), [None] * 4)
        lines = split_log(self.log())
        self.assertEqual([message for _, message in lines], WRITE_ERRORS)
        for stamp, _ in lines:
            self.assertRegex(stamp, DATE_TIME)

    def test_every_run_appends(self):
        self.target.refuse_launches()
        self.run_silently()
        self.run_silently()
        self.assertEqual([message for _, message in split_log(self.log())], WRITE_ERRORS * 2)

    def test_log_held_open_by_another_process_loses_the_lines(self):
        self.target.refuse_launches()
        log = self.write(self.scratch_file("tarnwell.log"), b"old line\r\n")
        for share_read in (True, False):
            with self.target.hold_open(log, share_read=share_read):
                self.run_silently()
            self.assertEqual(self.log(), b"old line\r\n")

    def test_log_past_the_limit_keeps_its_newest_whole_lines(self):
        self.target.refuse_launches()
        line = b"x" * 98 + b"\r\n"
        old = line * ((LIMIT - 50) // len(line))
        self.write(self.scratch_file("tarnwell.log"), old)
        self.run_silently()
        log = self.log()
        self.assertLess(len(log), LIMIT)
        self.assertTrue(log.startswith(line), log[:120])
        newest = log.split(b"\r\n")[-5:-1]
        self.assertEqual([line.partition(b"  ")[2] for line in newest], WRITE_ERRORS)
        # Exactly the lines that fit: one more old line would pass the limit.
        self.assertGreaterEqual(len(log) + len(line), LIMIT)

    def test_image_directory_without_images_sets_nothing(self):
        os.remove(self.image)
        self.run_silently()
        self.assertEqual(self.policy_values(), [None] * 4)
        self.assertIsNone(self.log())


NATIVE = targets.TARGET_NAME == "native"

# The C library's Korean and Japanese dates are written with words, not the
# numeric patterns of Windows.
windows_locale_data = unittest.skipIf(NATIVE, "Windows locale data")

# The C library's American 12-hour clock pads the hour; Windows' does not.
US_HOUR = rb"(0[1-9]|1[0-2])" if NATIVE else rb"([1-9]|1[0-2])"


class TimeStampTest(ScenarioTest):
    """The log's time stamps follow the locale: the short date, and the time
    unless it is exactly midnight."""

    def stamps(self, lang):
        self.target.refuse_launches()
        self.run_silently(env={"LANG": lang, "LC_ALL": lang})
        return [stamp for stamp, _ in split_log(self.log())]

    def check(self, lang, pattern):
        for stamp in self.stamps(lang):
            self.assertRegex(stamp, pattern, lang)

    def test_united_states(self):
        self.check("en_US.UTF-8", rb"^\d{1,2}/\d{1,2}/\d{4}( " + US_HOUR + rb":\d\d:\d\d [AP]M)?$")

    def test_c_locale_is_american(self):
        self.check("C", rb"^\d{1,2}/\d{1,2}/\d{4}( ([1-9]|1[0-2]):\d\d:\d\d [AP]M)?$")

    def test_germany(self):
        # Day and month are padded in Windows' data, not in Wine's.
        self.check("de_DE.UTF-8", rb"^\d{1,2}\.\d{1,2}\.\d{4}( \d\d:\d\d:\d\d)?$")

    @windows_locale_data
    def test_korea_puts_the_designator_first(self):
        self.check("ko_KR.UTF-8", rb"^\d{4}(-\d\d-\d\d|\. \d{1,2}\. \d{1,2}\.)"
                   rb"( [^ 0-9:]+ ([1-9]|1[0-2]):\d\d:\d\d)?$")

    @windows_locale_data
    def test_japan(self):
        self.check("ja_JP.UTF-8", rb"^\d{4}/\d{1,2}/\d{1,2}( \d{1,2}:\d\d:\d\d)?$")


if __name__ == "__main__":
    unittest.main()
