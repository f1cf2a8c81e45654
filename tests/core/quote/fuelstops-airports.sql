-- The airports of tst_fuelstops.cpp: round Gander, and round the 180th meridian at 10 N
-- (a leading "-" marks east).
INSERT INTO Airports (ID, NAME, "LATITUDE DEGREES", "LATITUDE MINUTES", "LONGITUDE DEGREES",
                      "LONGITUDE MINUTES", FUEL, "RUNWAY LENGTH") VALUES
    ('CYQX', 'GANDER', '48', 56, '054', 34, 'JET A1', 10500),
    ('XNEA', 'NEAR', '49', 20, '055', 5, 'JET A', 6000),
    ('XFAR', 'FAR', '49', 55, '054', 40, 'AVGAS', 5000),
    ('XNOF', 'NO FUEL', '49', 10, '055', 10, '', 9000),
    ('XSHO', 'SHORT', '49', 22, '054', 50, 'JET A', 4000),
    ('XBEY', 'BEYOND', '48', 25, '055', 30, 'JET A', 9000),
    ('XPW', 'WEST', '10', 9, '179', 50, 'JET A', 8000),
    ('XPE', 'EAST', '10', 9, '-179', 30, 'JET A', 8000),
    ('XPF', 'FAR EAST', '10', 9, '-178', 30, 'JET A', 8000);
