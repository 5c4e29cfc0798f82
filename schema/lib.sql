-- Blank library database: LIB.MDE of a new library.
-- Dates are local time text "YYYY-MM-DD HH:MM:SS".

CREATE TABLE `user-list` (
  `user-id`   INTEGER PRIMARY KEY AUTOINCREMENT,
  `user-name` TEXT,
  `login-id`  TEXT,
  `password`  TEXT,
  `type`      TEXT
);
CREATE INDEX `user-list-login-id` ON `user-list` (`login-id`);
CREATE INDEX `user-list-type` ON `user-list` (`type`);

CREATE TABLE `user-group` (
  `gid` INTEGER NOT NULL,
  `uid` INTEGER NOT NULL
);
CREATE INDEX `user-group-gid` ON `user-group` (`gid`);
CREATE INDEX `user-group-uid` ON `user-group` (`uid`);

CREATE TABLE `level-access` (
  `id`     INTEGER PRIMARY KEY AUTOINCREMENT,
  `level-id` INTEGER,
  `uid`    INTEGER NOT NULL,
  `type`   TEXT,
  `rights` INTEGER DEFAULT 0
);
CREATE INDEX `level-access-uid` ON `level-access` (`uid`);

CREATE TABLE `level` (
  `id`   INTEGER PRIMARY KEY AUTOINCREMENT,
  `pid`  INTEGER NOT NULL DEFAULT 0,
  `type` TEXT NOT NULL,
  `name` TEXT
);
CREATE INDEX `level-pid` ON `level` (`pid`);

CREATE TABLE `images` (
  `id`           INTEGER PRIMARY KEY AUTOINCREMENT,
  `folder-id`    INTEGER NOT NULL,
  `doccat-id`    INTEGER,
  `title`        TEXT,
  `key1`         TEXT,
  `key2`         TEXT,
  `filename`     TEXT,
  `location`     TEXT,
  `internal`     TEXT,
  `page-count`   INTEGER DEFAULT 0,
  `created-date` TEXT,
  `updated-date` TEXT
);
CREATE INDEX `images-folder-id` ON `images` (`folder-id`);

CREATE TABLE `lib-ctrl` (
  `rec-id`    INTEGER PRIMARY KEY AUTOINCREMENT,
  `subpath`   TEXT,
  `filecount` INTEGER
);
CREATE INDEX `lib-ctrl-filecount` ON `lib-ctrl` (`filecount`);

CREATE TABLE `doccat-list` (
  `doccat-id`   INTEGER PRIMARY KEY AUTOINCREMENT,
  `doccat-desc` TEXT,
  `key1-name`   TEXT,
  `key2-name`   TEXT
);

-- Record 1 only; the counter continues at 2 so records 2 to 4 get their markers.
INSERT INTO `lib-ctrl` (`rec-id`, `subpath`, `filecount`) VALUES (1, '', 0);
