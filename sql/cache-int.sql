-- The name cache tables that tnwk_syslog shares with the front end, with
-- addresses stored as integers (kind "int": IPv4 addresses only, in host
-- byte order). Creates both tables in the current database:
--   mariadb tarnwick < sql/cache-int.sql
--
-- refresh: 0 the name is resolved, 1 listed only, 2 to be resolved.
-- The primary keys are what keeps INSERT IGNORE from listing an address or
-- a (protocol, port) pair twice.

CREATE TABLE IF NOT EXISTS hostnames (
  ip_addr INT UNSIGNED NOT NULL,
  refresh TINYINT UNSIGNED NOT NULL DEFAULT 1,
  hostname VARCHAR(255) NULL,
  PRIMARY KEY (ip_addr),
  KEY refresh (refresh)
) DEFAULT CHARSET=utf8mb4;

CREATE TABLE IF NOT EXISTS services (
  ip_protocol TINYINT UNSIGNED NOT NULL,
  port SMALLINT UNSIGNED NOT NULL,
  refresh TINYINT UNSIGNED NOT NULL DEFAULT 1,
  service VARCHAR(255) NULL,
  PRIMARY KEY (ip_protocol, port),
  KEY refresh (refresh)
) DEFAULT CHARSET=utf8mb4;
