-- Blank control database: CTRL.MDE of a new library.

CREATE TABLE `locking` (
  `id`        INTEGER PRIMARY KEY AUTOINCREMENT,
  `image-id`  INTEGER NOT NULL,
  `uid`       INTEGER,
  `lock-date` TEXT
);
CREATE INDEX `locking-image-id` ON `locking` (`image-id`);

CREATE TABLE `active-list` (
  `id`       INTEGER PRIMARY KEY AUTOINCREMENT,
  `uid`      INTEGER NOT NULL,
  `log-date` TEXT
);
CREATE INDEX `active-list-uid` ON `active-list` (`uid`);
