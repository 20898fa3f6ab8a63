M                                                                ab                 
