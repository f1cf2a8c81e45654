-- The airports of tst_fuelstops.cpp: the ends of the legs, the airports round Gander, and
-- those round the 180th meridian at 10 N (a leading "-" marks east).
INSERT INTO Airports (ID, NAME, "LATITUDE DEGREES", "LATITUDE MINUTES", "LATITUDE SECONDS",
                      "LONGITUDE DEGREES", "LONGITUDE MINUTES", "LONGITUDE SECONDS", FUEL,
                      "RUNWAY LENGTH") VALUES
    ('KTEB', 'TETERBORO', '40', 51, 0.364, '074', 3, 38.876, 'JET A', 7000),
    ('EGLL', 'LONDON HEATHROW', '51', 28, 14.693, '000', 27, 35.672, 'JET A', 12000),
    ('XDEP', 'PACIFIC WEST', '10', 0, 0, '-170', 0, 0, '', 0),
    ('XARR', 'PACIFIC EAST', '10', 0, 0, '170', 0, 0, '', 0),
    ('CYQX', 'GANDER', '48', 56, 0, '054', 34, 0, 'JET A1', 10500),
    ('XNEA', 'NEAR', '49', 20, 0, '055', 5, 0, 'JET A', 6000),
    ('XFAR', 'FAR', '49', 55, 0, '054', 40, 0, 'AVGAS', 5000),
    ('XNOF', 'NO FUEL', '49', 10, 0, '055', 10, 0, '', 9000),
    ('XSHO', 'SHORT', '49', 22, 0, '054', 50, 0, 'JET A', 4000),
    ('XBEY', 'BEYOND', '48', 25, 0, '055', 30, 0, 'JET A', 9000),
    ('XPW', 'WEST', '10', 9, 0, '179', 50, 0, 'JET A', 8000),
    ('XPE', 'EAST', '10', 9, 0, '-179', 30, 0, 'JET A', 8000),
    ('XPF', 'FAR EAST', '10', 9, 0, '-178', 30, 0, 'JET A', 8000);
