"""Which image a run without arguments draws: the user's directory or the
stock one, and which of its entries are candidates."""

import os
import unittest

from scenario import STOCK_DIR, ScenarioTest


class DiscoveryTest(ScenarioTest):
    def setUp(self):
        super().setUp()
        self.pictures = os.path.join(self.scratch, "pictures")
        os.mkdir(self.pictures)
        self.pictures_win = self.target.windows_path(self.pictures)

    def use_pictures(self, image_dir=None):
        self.set_setting("Random", "1", "REG_DWORD")
        self.set_setting("ImageDir", image_dir or self.pictures_win)

    def applied_image(self):
        self.run_silently()
        return self.policy_values()[0]

    def assert_applies(self, image):
        self.run_silently()
        self.assert_policy_applied(image)

    def test_only_visible_plain_files_of_the_masks_are_candidates(self):
        self.write(os.path.join(self.pictures, "a.JPG"))
        os.mkdir(os.path.join(self.pictures, "c.jpg"))
        self.write(os.path.join(self.pictures, "notes.txt"))
        self.write(os.path.join(self.pictures, "x.jpeg"))
        self.target.set_attributes(os.path.join(self.pictures, "x.jpeg"), hidden=True)
        self.write(os.path.join(self.pictures, "y.png"))
        self.target.set_attributes(os.path.join(self.pictures, "y.png"), system=True)
        self.use_pictures()
        # Several draws: a.JPG is the only candidate every time.
        for _ in range(3):
            self.assert_applies(self.pictures_win + "\\a.JPG")
        self.assertIsNone(self.log())

    def test_read_only_file_is_a_candidate(self):
        self.write(os.path.join(self.pictures, "z.gif"))
        self.target.set_attributes(os.path.join(self.pictures, "z.gif"), readonly=True)
        self.use_pictures()
        self.assert_applies(self.pictures_win + "\\z.gif")

    def test_every_candidate_can_be_drawn(self):
        names = ["a.jpg", "b.jpeg", "c.png", "d.gif", "e.bmp"]
        for name in names:
            self.write(os.path.join(self.pictures, name))
        self.use_pictures()
        drawn = {self.applied_image()[1] for _ in range(4)}
        self.assertTrue(drawn <= {self.pictures_win + "\\" + n for n in names}, drawn)

    def test_directory_with_a_trailing_backslash_gets_no_second_one(self):
        self.write(os.path.join(self.pictures, "one.bmp"))
        self.use_pictures(self.pictures_win + "\\")
        self.assert_applies(self.pictures_win + "\\one.bmp")

    def test_relative_directory_is_set_by_its_full_path(self):
        self.write(os.path.join(self.pictures, "one.png"))
        self.use_pictures("pictures")
        self.assert_applies(self.pictures_win + "\\one.png")

    def test_missing_directory_falls_back_to_the_stock_directory(self):
        self.use_pictures(self.pictures_win + "\\missing")
        kind, image = self.applied_image()
        self.assertEqual(os.path.dirname(image.replace("\\", "/")).lower(),
                         STOCK_DIR.replace("\\", "/").lower())

    def test_random_off_ignores_the_directory(self):
        self.write(os.path.join(self.pictures, "mine.jpg"))
        self.set_setting("ImageDir", self.pictures_win)
        self.set_setting("Random", "0", "REG_DWORD")
        kind, image = self.applied_image()
        self.assertTrue(image.lower().startswith(STOCK_DIR.lower() + "\\"), image)
        self.assertTrue(os.path.isfile(self.target.host_path(image)), image)

    def test_empty_directory_sets_nothing_and_logs_nothing(self):
        self.write(os.path.join(self.pictures, "readme.txt"))
        self.use_pictures()
        self.run_silently()
        self.assertEqual(self.policy_values(), [None] * 4)
        self.assertIsNone(self.log())


if __name__ == "__main__":
    unittest.main()
