-- The name cache tables that tnwk_syslog shares with the front end, with
-- addresses stored as 16 bytes (kind "bin": IPv4 and IPv6). Creates both
-- tables and the function tnwk_inet_pton in the current database:
--   mariadb tarnwick < sql/cache-bin.sql
--
-- ip_addr is BINARY(16), which the client library reports as a string
-- column: that is how tnwk_syslog tells this kind from "int". IPv4
-- addresses are stored IPv4-mapped (::ffff:a.b.c.d), which tnwk_syslog
-- reads back as IPv4 when it resolves them.
--
-- refresh: 0 the name is resolved, 1 listed only, 2 to be resolved.
-- The primary keys are what keeps INSERT IGNORE from listing an address or
-- a (protocol, port) pair twice.

CREATE TABLE IF NOT EXISTS hostnames (
  ip_addr BINARY(16) NOT NULL,
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

-- The 16-byte form of an address text: IPv6 texts as they are, IPv4 texts
-- (family 2, or a text without ":") IPv4-mapped. NULL for a text that is
-- no address. tnwk_syslog calls it with family 28 for every address.
DROP FUNCTION IF EXISTS tnwk_inet_pton;
CREATE FUNCTION tnwk_inet_pton(family INT, address VARCHAR(64))
  RETURNS BINARY(16) DETERMINISTIC NO SQL
  RETURN IF(family = 2 OR LOCATE(':', address) = 0,
            CONCAT(UNHEX('00000000000000000000FFFF'), INET6_ATON(address)),
            INET6_ATON(address));
