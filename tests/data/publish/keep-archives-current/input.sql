INSERT INTO Names (ID, Name, Reverse, DtFormat, TmFormat, ArcDtFormat, ArcType, ArcReverse) VALUES (1, 'J', 0, 'mmm d', 'hh:nn', 'mmm d', 'Weekly', 0);
INSERT INTO Templates (ID, Name, Template) VALUES (1, 'page', 'prev=<$WrenArchivePrev> next=<$WrenArchiveNext>
<Wren><WrenHeader>[<$WrenDate>]</WrenHeader> <$WrenEntry>
</Wren>');
INSERT INTO Templates (ID, Name, Template) VALUES (2, 'index', 'Archives
<Wren><$WrenArchive=2></Wren>
end');
INSERT INTO Sites (ID, Name, FTP, Login, Password, Port, Active) VALUES (1, 'Local', '', '', '', 0, 0);
INSERT INTO Upload (ID, Journal, Site, Template, ArcTemplate, LogFile, ArcFile, Directory, Active, ArcExt, AutoArc, LastArc, ImageDir) VALUES (1, 1, 1, 1, 2, 'index.html', 'archive.html', '@SITE@', 1, 'htm', 1, NULL, '');
INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2002-02-05', '12:00:00', 'feb 5'), (1, '2002-02-20', '12:00:00', 'feb 20'), (1, '2002-03-05', '12:00:00', 'mar 5'), (1, '2002-03-11', '12:00:00', 'mar 11');
